/* Asks Windows about the game's main window, or changes it, for wine_check.sh:
     window_probe client        client size and its top-left on the screen: WxH+X+Y
     window_probe client-size   client size: WxH
     window_probe frame-kind    "framed" (a caption and a border) or "popup"
     window_probe resize W H    makes the client W x H (as a drag of the border would)
     window_probe dpi N         tells the window its monitor's DPI is now N
     window_probe close         asks the window to close, as its close button does
   Exits 1 when there is no game window. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

/* The probe counts in the screen's own pixels, whatever the DPI. */
static void become_dpi_aware(void) {
    typedef BOOL(WINAPI * SetContext)(HANDLE);
    HMODULE user = GetModuleHandleA("user32.dll");
    SetContext set =
        user ? (SetContext)(void*)GetProcAddress(user, "SetProcessDpiAwarenessContext") : NULL;
    if (!set || !set((HANDLE)-4)) /* DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 */
        SetProcessDPIAware();
}

int main(int argc, char** argv) {
    become_dpi_aware();
    HWND window = FindWindowA("Drellwin", NULL);
    RECT client;
    if (!window || argc < 2) {
        printf("no window\n");
        return 1;
    }
    if (!strcmp(argv[1], "client") && GetClientRect(window, &client)) {
        POINT origin = {0, 0};
        ClientToScreen(window, &origin);
        printf("%ldx%ld+%ld+%ld\n", client.right, client.bottom, origin.x, origin.y);
        return 0;
    }
    if (!strcmp(argv[1], "client-size") && GetClientRect(window, &client)) {
        printf("%ldx%ld\n", client.right, client.bottom);
        return 0;
    }
    if (!strcmp(argv[1], "frame-kind")) {
        LONG style = GetWindowLongA(window, GWL_STYLE);
        printf("%s\n", (style & WS_CAPTION) == WS_CAPTION ? "framed" : "popup");
        return 0;
    }
    if (!strcmp(argv[1], "resize") && argc == 4) {
        RECT wanted = {0, 0, atoi(argv[2]), atoi(argv[3])};
        AdjustWindowRectEx(&wanted, (DWORD)GetWindowLongA(window, GWL_STYLE), FALSE,
                           (DWORD)GetWindowLongA(window, GWL_EXSTYLE));
        /* At the screen's corner, so that the whole window stays in view. */
        SetWindowPos(window, NULL, 0, 0, wanted.right - wanted.left, wanted.bottom - wanted.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    if (!strcmp(argv[1], "dpi") && argc == 3) {
        int dpi = atoi(argv[2]);
        /* Without the suggested rectangle: the window keeps its centre. */
        SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), 0);
        return 0;
    }
    if (!strcmp(argv[1], "close")) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    }
    printf("unknown request\n");
    return 2;
}

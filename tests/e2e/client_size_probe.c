/* Prints the client size of the game's main window, as Windows reports it:
   run beside the game under Wine by wine_check.sh. */
#include <stdio.h>
#include <windows.h>

int main(void) {
    HWND window = FindWindowA("Drellwin", NULL);
    RECT client;
    if (!window || !GetClientRect(window, &client)) {
        printf("no window\n");
        return 1;
    }
    printf("%ldx%ld\n", client.right - client.left, client.bottom - client.top);
    return 0;
}

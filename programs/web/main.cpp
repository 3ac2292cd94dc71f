// The process entry of the web edition: the page has mounted the save folder
// (the browser's storage) and unpacked the resources; the game runs in it.
#include <unistd.h>

#include "platform/platform.h"
#include "shell/main_window.h"

int main() {
    // "map.txt" is read and written in the working folder, as on the desktop.
    if (chdir("/save") != 0)
        return 1;
    return MorvaskMain(platform::SW_SHOWNORMAL);
}

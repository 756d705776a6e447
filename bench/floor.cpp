// tidewell-floor: the least a program that lists the installed programs must do, as a process
// of its own: enumerate the machine's two catalogues and the user's, open each entry and read
// its display name and uninstall command. Its exit status is the number of entries that have
// both (the program list's length). A window program, so that starting it costs what starting
// any window program costs, and no console is made for it.

#include <windows.h>

#include "RawFloor.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return tw::bench::FloorOfEveryCatalogue(); }

/* A library planted beside the program under a system library's name; it exports nothing the program
   could use. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)self;
    (void)reason;
    (void)reserved;
    return TRUE;
}

// The windowed entry point; everything else happens in RunServicePack.
#include <windows.h>

#include "app/run.h"
#include "platform/libraries.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // Before anything, the installer's libraries included, can load a library.
    platform::RestrictLibrarySearch();
    return RunServicePack(instance);
}

// The windowed entry point; everything else happens in RunServicePack.
#include <windows.h>

#include "app/run.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    return RunServicePack(instance);
}

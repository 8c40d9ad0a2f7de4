// Stays alive for the given number of seconds; tests copy it to the name of a
// watched application so that application counts as running.
#include <windows.h>
#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    long seconds = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 60;
    if (seconds > 0)
        Sleep(static_cast<DWORD>(seconds) * 1000);
    return 0;
}

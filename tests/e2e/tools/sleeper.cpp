// Stays alive for the given number of seconds; tests copy it to the name of a
// watched application so that application counts as running. Given a file too, it
// holds that open meanwhile as a log viewer does, having added a "+" to show it.
#include <windows.h>
#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    long seconds = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 60;
    HANDLE held = argc > 2 ? CreateFileW(argv[2], FILE_APPEND_DATA, FILE_SHARE_READ |
                                         FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, 0, nullptr)
                           : INVALID_HANDLE_VALUE;
    DWORD written = 0;
    if (held != INVALID_HANDLE_VALUE)
        WriteFile(held, "+", 1, &written, nullptr);
    if (seconds > 0)
        Sleep(static_cast<DWORD>(seconds) * 1000);
    return 0;
}

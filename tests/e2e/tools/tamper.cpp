// Tries to change a file as another process of the same user could: opens it
// for writing, then deletes it. Prints the Win32 result of each ("write=32").
#include <windows.h>
#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
        return 1;
    HANDLE file = CreateFileW(argv[1], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::wprintf(L"write=%lu\n", file == INVALID_HANDLE_VALUE ? GetLastError() : 0ul);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    std::wprintf(L"delete=%lu\n", DeleteFileW(argv[1]) ? 0ul : GetLastError());
    return 0;
}

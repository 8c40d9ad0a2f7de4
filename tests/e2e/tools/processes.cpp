// Prints the executable name of every process in the process list, one a line,
// as the service pack's running-application check sees them.
#include <windows.h>
#include <tlhelp32.h>
#include <cwchar>

int wmain()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 1;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID != 0)
            std::wprintf(L"%ls\n", entry.szExeFile);
    }
    CloseHandle(snapshot);
    return 0;
}

// launch [/unseen] SECONDS PROGRAM [ARGS...]: runs PROGRAM and prints "exit=<full
// code>" (Wine's own exit status keeps 8 bits), or "timeout" once it had to be killed.
// /unseen: on a desktop of a window station no one sees, as a service's child runs.
#include <windows.h>
#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv)
{
    const bool unseen = argc > 1 && std::wcscmp(argv[1], L"/unseen") == 0;
    argv += unseen;
    argc -= unseen;
    if (argc < 3) {
        return 2;
    }
    wchar_t desktop[] = L"Unseen\\Default";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (unseen) {
        // A desktop is made on the caller's own station; both live as long as this process.
        HWINSTA visible = GetProcessWindowStation();
        HWINSTA station = CreateWindowStationW(L"Unseen", 0, GENERIC_ALL, nullptr);
        if (!station || !SetProcessWindowStation(station) ||
            !CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr)) {
            return 2;
        }
        SetProcessWindowStation(visible);
        startup.lpDesktop = desktop;
    }
    std::wstring line;
    for (int i = 2; i < argc; ++i) {
        const bool quote = std::wcspbrk(argv[i], L" \t") != nullptr || !*argv[i];
        const wchar_t* mark = quote ? L"\"" : L"";
        line += std::wstring(i > 2 ? L" " : L"") + mark + argv[i] + mark;
    }
    PROCESS_INFORMATION child = {};
    if (!CreateProcessW(argv[2], line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &child)) {
        return 2;
    }
    DWORD code = 0;
    const DWORD milliseconds = std::wcstoul(argv[1], nullptr, 10) * 1000;
    if (WaitForSingleObject(child.hProcess, milliseconds) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(child.hProcess, &code)) {
        std::wprintf(L"exit=%lu\n", code);
    } else {
        TerminateProcess(child.hProcess, 1);
        std::wprintf(L"timeout\n");
    }
    return 0;
}

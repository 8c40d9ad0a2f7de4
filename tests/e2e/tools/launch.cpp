// launch [/unseen] SECONDS PROGRAM [ARGS...]: runs PROGRAM and prints "exit=<full
// code>" (Wine's own exit status keeps 8 bits), or "timeout" after killing it when it
// has not ended within SECONDS. /unseen: on a desktop of a window station no one can
// see, as a service's child runs.
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
        std::fwprintf(stderr, L"usage: launch [/unseen] SECONDS PROGRAM [ARGS...]\n");
        return 2;
    }
    HWINSTA visible = GetProcessWindowStation();
    HWINSTA station = !unseen ? nullptr : CreateWindowStationW(L"Unseen", 0, GENERIC_ALL, nullptr);
    // A desktop is made on the caller's own station.
    HDESK desktop = station && SetProcessWindowStation(station)
                        ? CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr)
                        : nullptr;
    SetProcessWindowStation(visible);
    if (unseen && !desktop) {
        std::fwprintf(stderr, L"no station or desktop: %lu\n", GetLastError());
        return 2;
    }

    std::wstring commandLine;
    for (int i = 2; i < argc; ++i) {
        const bool quote = argv[i][0] == L'\0' || std::wcspbrk(argv[i], L" \t") != nullptr;
        commandLine += (i > 2 ? L" " : L"") + std::wstring(quote ? L"\"" : L"") + argv[i] +
                       (quote ? L"\"" : L"");
    }
    wchar_t desktopName[] = L"Unseen\\Default";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.lpDesktop = unseen ? desktopName : nullptr;
    PROCESS_INFORMATION child = {};
    if (!CreateProcessW(argv[2], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &child)) {
        std::fwprintf(stderr, L"cannot start: %lu\n", GetLastError());
        return 2;
    }
    const DWORD waited = WaitForSingleObject(child.hProcess, std::wcstoul(argv[1], nullptr, 10) * 1000);
    DWORD code = 0;
    if (waited == WAIT_OBJECT_0 && GetExitCodeProcess(child.hProcess, &code)) {
        std::wprintf(L"exit=%lu\n", code);
    } else {
        TerminateProcess(child.hProcess, 1);
        WaitForSingleObject(child.hProcess, INFINITE);
        std::wprintf(L"timeout\n");
    }
    std::fflush(stdout);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    if (unseen) {
        CloseDesktop(desktop);
        CloseWindowStation(station);
    }
    return 0;
}

// Prints what the installer reports about one product, one "key=value" per line,
// so tests can check a demo product is installed as the service pack will see it.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <cwchar>
#include <string>

static std::wstring Info(const wchar_t* product, const wchar_t* property)
{
    wchar_t value[1024] = L"";
    DWORD size = 1024;
    if (MsiGetProductInfoW(product, property, value, &size) != ERROR_SUCCESS)
        return L"";
    return value;
}

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fwprintf(stderr, L"usage: productstate PRODUCTCODE\n");
        return 2;
    }
    const wchar_t* product = argv[1];
    std::wprintf(L"State=%d\n", static_cast<int>(MsiQueryProductStateW(product)));
    std::wprintf(L"ProductName=%ls\n", Info(product, L"ProductName").c_str());
    std::wprintf(L"Language=%ls\n", Info(product, L"Language").c_str());
    std::wprintf(L"VersionString=%ls\n", Info(product, L"VersionString").c_str());

    std::wstring locale;
    MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    MSIHANDLE handle = 0;
    if (MsiOpenProductW(product, &handle) == ERROR_SUCCESS) {
        wchar_t value[64] = L"";
        DWORD size = 64;
        if (MsiGetPropertyW(handle, L"LOCALEID", value, &size) == ERROR_SUCCESS)
            locale = value;
        MsiCloseHandle(handle);
    }
    std::wprintf(L"LOCALEID=%ls\n", locale.c_str());
    return 0;
}

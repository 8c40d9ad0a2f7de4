// Prints, one line per PRODUCT, the result code of MsiGetPatchInfoExW(PATCH, PRODUCT,
// machine context, "State"), or of the current user's context for a product the machine
// does not know: 0 once the patch is registered on the product, 1647 while it is not.
#include <windows.h>
#include <msi.h>
#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        std::fwprintf(stderr, L"usage: patchstate PATCHCODE PRODUCTCODE...\n");
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        wchar_t value[64] = L"";
        DWORD size = 64;
        UINT rc = MsiGetPatchInfoExW(argv[1], argv[i], nullptr, MSIINSTALLCONTEXT_MACHINE,
                                     INSTALLPROPERTY_PATCHSTATE, value, &size);
        if (rc == ERROR_UNKNOWN_PRODUCT) {
            size = 64;
            rc = MsiGetPatchInfoExW(argv[1], argv[i], nullptr, MSIINSTALLCONTEXT_USERUNMANAGED,
                                    INSTALLPROPERTY_PATCHSTATE, value, &size);
        }
        std::wprintf(L"%u\n", rc);
    }
    return 0;
}

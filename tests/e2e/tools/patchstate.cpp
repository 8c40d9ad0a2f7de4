// Prints the result code of MsiGetPatchInfoExW(PATCH, PRODUCT, CONTEXT, "State") for the
// current user (CONTEXT 4, the machine, when not given): 0 once the patch is registered
// on the product, 1647 while it is not.
#include <windows.h>
#include <msi.h>
#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3 && argc != 4) {
        std::fwprintf(stderr, L"usage: patchstate PATCHCODE PRODUCTCODE [CONTEXT]\n");
        return 2;
    }
    wchar_t value[64] = L"";
    DWORD size = 64;
    const auto context =
        argc == 4 ? static_cast<MSIINSTALLCONTEXT>(_wtoi(argv[3])) : MSIINSTALLCONTEXT_MACHINE;
    UINT rc = MsiGetPatchInfoExW(argv[1], argv[2], nullptr, context,
                                 INSTALLPROPERTY_PATCHSTATE, value, &size);
    std::wprintf(L"%u\n", rc);
    return 0;
}

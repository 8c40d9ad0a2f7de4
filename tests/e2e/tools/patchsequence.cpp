// Prints "return order status" of MsiDeterminePatchSequenceW for one patch file
// against one product in the machine context.
#include <windows.h>
#include <msi.h>
#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fwprintf(stderr, L"usage: patchsequence PATCHFILE PRODUCTCODE\n");
        return 2;
    }
    MSIPATCHSEQUENCEINFOW info{};
    info.szPatchData = argv[1];
    info.ePatchDataType = MSIPATCH_DATATYPE_PATCHFILE;
    UINT rc = MsiDeterminePatchSequenceW(argv[2], nullptr, MSIINSTALLCONTEXT_MACHINE, 1, &info);
    std::wprintf(L"%u %d %u\n", rc, static_cast<int>(info.dwOrder), info.uStatus);
    return 0;
}

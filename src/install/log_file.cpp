#include "install/log_file.h"

#include "common/final_path.h"

platform::File CreateLogFile(const std::u16string& logPath)
{
    if (logPath.empty()) {
        return {};
    }
    // The name is predictable: whatever holds it may be a link planted to redirect
    // the log, or a hard link to a file that is not ours, so it goes first.
    platform::RemoveEntry(logPath);
    return CreateFileAt(logPath, platform::FileDisposition::CreateNewHeld);
}

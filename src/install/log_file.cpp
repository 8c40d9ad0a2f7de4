#include "install/log_file.h"

#include "files/final_path.h"
#include "common/text.h"
#include "platform/replace.h"

namespace {

constexpr int kMaxAsideNames = 100;

// A free name beside logPath for an old log that a reader may still hold.
std::u16string AsideName(const std::u16string& logPath)
{
    for (int n = 1; n <= kMaxAsideNames; ++n) {
        std::u16string name = logPath + u"~" + ToDecimal(n);
        if (platform::QueryPath(name) == platform::PathState::Missing) {
            return name;
        }
    }
    return {};
}

}  // namespace

platform::File CreateLogFile(const std::u16string& logPath)
{
    if (logPath.empty()) {
        return {};
    }
    // The name is predictable: whatever holds it may be a link planted to redirect
    // the log, or a hard link to a file that is not ours, so it goes first.
    platform::RemoveEntry(logPath, AsideName(logPath));
    return CreateFileAt(logPath, platform::FileDisposition::CreateNewHeld);
}

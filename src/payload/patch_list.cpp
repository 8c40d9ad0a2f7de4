#include "payload/patch_list.h"

#include "common/file_names.h"
#include "files/final_path.h"
#include "common/text.h"
#include "payload/temp_patch.h"
#include "platform/files.h"
#include "platform/resources.h"
#include "platform/thread_state.h"
#include "ui/message_ids.h"
#include "ui/messages.h"

namespace {

constexpr char16_t kFallbackName[] = u"patchlist.txt";
constexpr char16_t kTextType[] = u"TXT";
constexpr int kFirstTextId = 206;
constexpr std::size_t kNameCharacters = 4;
constexpr char kSeparator[] = "*****\r\n";
constexpr char kLineEnd[] = "\r\n";

bool Write(const platform::File& file, const void* data, std::size_t size)
{
    std::size_t written = 0;
    return platform::WriteFile(file, data, size, written) && written == size;
}

}  // namespace

std::u16string DefaultPatchListName(const std::u16string& productList)
{
    std::u16string kept = productList;
    const auto colon = kept.find(u':');
    if (colon != std::u16string::npos) {
        kept.erase(0, colon + 1);
    }
    const auto dash = kept.find(u'-');
    const std::u16string picked = dash != std::u16string::npos
                                      ? kept.substr(dash + 1, kNameCharacters)
                                      : kept.substr(0, kNameCharacters);
    // The name stays in the current directory whatever the template holds.
    return u"patchlist" + ReplaceInvalidFileNameCharacters(picked) + u".txt";
}

bool ExportPatchList(std::u16string& patchListPath)
{
    // Our own name in a directory others can write may be a link planted to have
    // us append to a file they cannot; a path the user typed is theirs to choose.
    const auto disposition = patchListPath.empty() ? platform::FileDisposition::OpenOrCreateOwnName
                                                   : platform::FileDisposition::OpenOrCreate;
    if (patchListPath.empty()) {
        patchListPath = kFallbackName;
        if (ReadEmbeddedPatchTemplate(patchListPath)) {
            patchListPath = DefaultPatchListName(patchListPath);
        }
    }

    // Our own name is written only when the file found is the entry itself.
    const platform::File file = disposition == platform::FileDisposition::OpenOrCreateOwnName
                                    ? CreateFileAt(patchListPath, disposition)
                                    : platform::OpenFile(patchListPath, disposition);
    // Texts written anywhere but the end would overwrite what the file holds.
    if (!file || !platform::SeekToEnd(file)) {
        const std::uint32_t error = platform::GetLastError();
        ShowMessage(msg::kNeedPatchList);
        platform::SetLastError(error);  // the caller's exit code, whatever the box did
        return false;
    }

    for (int i = 0;; ++i) {
        platform::ResourceBytes text;
        const auto found =
            platform::LoadResource(kTextType, NumericResourceName(kFirstTextId + i), text);
        if (found == platform::ResourceResult::Missing) {
            if (i == 0) {
                ShowMessage(msg::kNeedPatchList);
            }
            break;
        }
        if (found == platform::ResourceResult::Unloadable) {
            ShowMessage(msg::kInstallFailed);
            break;
        }
        // A failed write skips this text; the next one is still tried.
        if (!Write(file, kSeparator, sizeof kSeparator - 1) || !Write(file, text.data, text.size)) {
            continue;
        }
        Write(file, kLineEnd, sizeof kLineEnd - 1);
    }
    return true;
}

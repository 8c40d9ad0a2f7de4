#include "ui/messages.h"

#include <array>
#include <cstdint>
#include <vector>

#include "common/run_state.h"
#include "platform/boxes.h"
#include "platform/sessions.h"
#include "platform/thread_state.h"
#include "record/events.h"
#include "ui/format.h"
#include "ui/message_ids.h"
#include "ui/string_table.h"

namespace {

enum class InsertKind { None, PackageWord, ProductName, ErrorCode };

struct MessageLayout {
    unsigned id;
    unsigned title;
    unsigned flags;
    std::array<InsertKind, 2> inserts;
};

constexpr std::array<MessageLayout, 13> kMessageLayouts = {{
    {msg::kInstallFailed, msg::kTitleError, kErrorBoxFlags,
     {InsertKind::PackageWord, InsertKind::ErrorCode}},
    {msg::kInstalled, msg::kTitleSuccess, kInformationBoxFlags,
     {InsertKind::PackageWord, InsertKind::ProductName}},
    {msg::kRefusedByPolicy, msg::kTitleError, kErrorBoxFlags,
     {InsertKind::ProductName, InsertKind::None}},
    {msg::kUpToDate, msg::kTitleUnnecessary, kInformationBoxFlags,
     {InsertKind::ProductName, InsertKind::PackageWord}},
    {msg::kNoProduct, msg::kTitleError, kErrorBoxFlags,
     {InsertKind::PackageWord, InsertKind::PackageWord}},
    {msg::kNotDesignedFor, msg::kTitleError, kErrorBoxFlags,
     {InsertKind::PackageWord, InsertKind::ProductName}},
    {msg::kBadCommandLine, msg::kTitleError, kErrorBoxFlags,
     {InsertKind::None, InsertKind::None}},
    {msg::kNeedPatchList, msg::kTitleError, kErrorBoxFlags,
     {InsertKind::PackageWord, InsertKind::None}},
    {msg::kHelp, msg::kTitleHelp, kInformationBoxFlags,
     {InsertKind::PackageWord, InsertKind::None}},
    {msg::kRemoved, msg::kTitleRemoved, kInformationBoxFlags,
     {InsertKind::PackageWord, InsertKind::None}},
    {msg::kRemovalFailed, msg::kTitleRemovalError, kErrorBoxFlags,
     {InsertKind::PackageWord, InsertKind::ErrorCode}},
    {msg::kNothingToRemove, msg::kTitleRemovalUnnecessary, kInformationBoxFlags,
     {InsertKind::PackageWord, InsertKind::None}},
    {msg::kNotRemovable, msg::kTitleRemovalError, kErrorBoxFlags,
     {InsertKind::PackageWord, InsertKind::ProductName}},
}};

// An id outside the table still reaches the user: its own text, without
// inserts, as an error.
MessageLayout LayoutOf(unsigned id)
{
    for (const auto& layout : kMessageLayouts) {
        if (layout.id == id) {
            return layout;
        }
    }
    return {id, msg::kTitleError, kErrorBoxFlags, {InsertKind::None, InsertKind::None}};
}

std::vector<Insert> InsertsOf(const MessageLayout& layout, std::int32_t errorCode)
{
    std::vector<Insert> inserts;
    for (const InsertKind kind : layout.inserts) {
        switch (kind) {
        case InsertKind::None:
            break;
        case InsertKind::PackageWord:
            inserts.emplace_back(std::u16string(kPackageWord));
            break;
        case InsertKind::ProductName:
            inserts.emplace_back(CurrentProductName());
            break;
        case InsertKind::ErrorCode:
            inserts.emplace_back(errorCode);
            break;
        }
    }
    return inserts;
}

}  // namespace

int ShowMessage(unsigned messageId, unsigned addedId)
{
    // A check is a question put by a script: it never waits for anyone.
    if (ProcessRunOptions().quiet || ProcessRunOptions().check) {
        record::MessageSuppressed(messageId, true);
        return kAnswerNo;
    }
    // Read before anything else can overwrite the caller's error.
    const auto errorCode = static_cast<std::int32_t>(platform::GetLastError());

    const MessageLayout layout = LayoutOf(messageId);
    std::u16string format;
    // The help lists every switch and may run past the capacity of other texts.
    LoadMessageString(messageId, format,
                      messageId == msg::kHelp ? kComposedCapacity : kMessageCapacity);
    std::u16string text = FormatInserts(format, InsertsOf(layout, errorCode), kComposedCapacity);
    if (addedId != 0) {
        std::u16string added;
        LoadMessageString(addedId, added, kMessageCapacity);
        text = (text + u"\n\n" + added).substr(0, kComposedCapacity - 1);
    }

    std::u16string title;
    LoadMessageString(layout.title, title, kMessageCapacity);
    // A box no one can see would never be answered: the run would hang. The person
    // at the machine, if asked to close an application, learns how the run ended
    // from a box the run does not wait for.
    if (!platform::IsDesktopVisible()) {
        const bool told = platform::TellSessionUser(text, title, layout.flags);
        if (told) {
            record::MessageToldInSession(messageId, text);
        } else {
            record::MessageSuppressed(messageId, false);
        }
        return kAnswerNo;
    }
    record::MessageShown(messageId, text);
    return platform::MessageBox(text, title, layout.flags);
}

#include "ui/running_apps.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "record/events.h"
#include "ui/format.h"
#include "ui/message_ids.h"
#include "ui/messages.h"

namespace {

struct WatchedApplication {
    const char16_t* exeName;
    const char16_t* displayName;
};

// Examined in this order.
constexpr std::array<WatchedApplication, 2> kWatchedApplications = {{
    {u"plrx.exe", u"Plotrix\n"},
    {u"modelara.exe", u"Modelara\n"},
}};

// Room the box text reserves beyond text 321 for the application's name.
constexpr std::size_t kNameRoom = 512;
constexpr std::uint32_t kNoProcess = 0;

std::u16string ComposeBoxText(const std::u16string& format, const WatchedApplication& app)
{
    const std::size_t capacity =
        std::min(format.size() + kNameRoom, static_cast<std::size_t>(kComposedCapacity));
    return FormatInserts(format, {std::u16string(app.displayName), std::u16string()}, capacity);
}

}  // namespace

bool CheckRunningApplications()
{
    // All texts are taken in the language current at the start.
    std::u16string title;
    LoadMessageString(msg::kTitleError, title, kMessageCapacity);
    std::u16string format;
    LoadMessageString(msg::kRunningApplications, format, kMessageCapacity);
    std::vector<std::u16string> texts;
    for (const auto& app : kWatchedApplications) {
        texts.push_back(ComposeBoxText(format, app));
    }

    bool result = true;
    for (std::size_t row = 0; row < kWatchedApplications.size(); ++row) {
        while (IsProcessRunning(kWatchedApplications[row].exeName)) {
            // No one could answer the box, and it would never return: the run
            // ends as if Cancel had been chosen, without looking further.
            if (!platform::IsDesktopVisible()) {
                record::ApplicationRunningUnseen(kWatchedApplications[row].exeName);
                return false;
            }
            // Only an explicit Retry asks again: a box that could not be shown
            // (0, or -1 without a display) must not loop an unattended run.
            const bool retry =
                platform::MessageBox(texts[row], title, kRetryCancelBoxFlags) == kAnswerRetry;
            record::ApplicationRunning(kWatchedApplications[row].exeName, retry);
            if (!retry) {
                result = false;
                break;
            }
        }
    }
    record::ApplicationsChecked(result);
    return result;
}

bool IsProcessRunning(const std::u16string& exeName)
{
    const auto processes = platform::SnapshotProcesses();
    if (!processes) {
        return true;  // absence cannot be confirmed
    }
    return std::any_of(processes->begin(), processes->end(), [&](const platform::ProcessEntry& p) {
        return p.processId != kNoProcess && platform::CompareTextIgnoringCase(p.exeFile, exeName) == 0;
    });
}

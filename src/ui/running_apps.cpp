#include "ui/running_apps.h"

#include <algorithm>
#include <iterator>
#include <cstdint>
#include <vector>

#include "build_settings.h"
#include "common/run_state.h"
#include "platform/boxes.h"
#include "platform/clock.h"
#include "platform/processes.h"
#include "platform/sessions.h"
#include "record/events.h"
#include "ui/format.h"
#include "ui/message_ids.h"
#include "ui/string_table.h"

namespace {

struct WatchedApplication {
    const char16_t* exeName;
    const char16_t* displayName;
};

// Examined in this order; set by the build.
constexpr WatchedApplication kWatchedApplications[] = {BUILD_WATCHED_APPLICATIONS};

// Room the box text reserves beyond text 321 for the application's name.
constexpr std::size_t kNameRoom = 512;
constexpr std::uint32_t kNoProcess = 0;

constexpr std::uint64_t kMillisecondsPerMinute = 60'000;
constexpr std::uint64_t kMillisecondsPerSecond = 1'000;

// The time all asking of the person at the machine may take in one run, from the
// first box on: each box gets what is left as its timeout.
class AskingTime {
public:
    explicit AskingTime(unsigned minutes) : limit_(minutes * kMillisecondsPerMinute) {}

    // Whole seconds left; 0 when less than one remains.
    std::uint32_t SecondsLeft()
    {
        const std::uint64_t now = platform::TickCount();
        if (!started_) {
            start_ = now;
            started_ = true;
        }
        const std::uint64_t spent = now - start_;
        if (spent >= limit_) {
            return 0;
        }
        return static_cast<std::uint32_t>((limit_ - spent) / kMillisecondsPerSecond);
    }

private:
    std::uint64_t limit_;
    std::uint64_t start_ = 0;
    bool started_ = false;
};

// Where no one sees this desktop, the box goes to the person at the machine; a
// box without time left is not shown (a timeout of 0 would wait for ever), and
// counts as one that could not be.
int AskUnseen(const std::u16string& text, const std::u16string& title, AskingTime& time)
{
    const std::uint32_t seconds = time.SecondsLeft();
    if (seconds == 0) {
        return 0;  // as a box that could not be shown: no one was asked
    }
    return platform::AskSessionUser(text, title, kRetryCancelBoxFlags, seconds);
}

record::Answer AnswerOf(int answer)
{
    switch (answer) {
    case kAnswerRetry:
        return record::Answer::Retry;
    case kAnswerCancel:
        return record::Answer::Cancel;
    case platform::kAnswerTimedOut:
        return record::Answer::TimedOut;
    default:
        return record::Answer::NoBox;
    }
}

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

    const bool visible = platform::IsDesktopVisible();
    AskingTime time(ProcessRunOptions().askMinutes);
    bool result = true;
    for (std::size_t row = 0; row < std::size(kWatchedApplications); ++row) {
        while (IsProcessRunning(kWatchedApplications[row].exeName)) {
            const int answer = visible
                                   ? platform::MessageBox(texts[row], title, kRetryCancelBoxFlags)
                                   : AskUnseen(texts[row], title, time);
            // Only an explicit Retry asks again: a box that could not be shown
            // (0, or -1 without a display) must not loop an unattended run.
            record::ApplicationRunning(kWatchedApplications[row].exeName, visible,
                                       AnswerOf(answer));
            if (answer == kAnswerRetry) {
                continue;
            }
            // Unseen, no one to ask, no time left or a failed box ends the run
            // at once, as if Cancel had been chosen, without looking further.
            if (!visible && answer != kAnswerCancel) {
                return false;
            }
            result = false;
            break;
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

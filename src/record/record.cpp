#include "record/record.h"

#include <string>

#include "common/text.h"
#include "files/final_path.h"
#include "platform/clock.h"
#include "common/error_codes.h"
#include "platform/files.h"
#include "platform/record_facts.h"
#include "platform/thread_state.h"
#include "record/line.h"

namespace record {
namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
// Kept free for the closing line however full the record is.
constexpr std::size_t kClosingRoom = 1024;

struct State {
    platform::File file;
    std::uint64_t opened = 0;
    std::size_t written = 0;
    bool full = false;             // the line that says so is written
    int failedWrites = 0;
    std::uint32_t firstError = 0;  // of the first line that could not be written
};

// Never destroyed: the file is closed by the run's end, not by the exit.
State& Current()
{
    static State& state = *new State;
    return state;
}

void Append(State& state, const std::string& bytes)
{
    std::size_t written = 0;
    if (platform::WriteFile(state.file, bytes.data(), bytes.size(), written)) {
        state.written += written;
        return;
    }
    state.written += written;
    if (state.failedWrites++ == 0) {
        state.firstError = platform::GetLastError();
    }
}

std::string Line(const std::u16string& text)
{
    return FormatLine(platform::CurrentLocalTime(), platform::ProcessId(), text);
}

}  // namespace

LastErrorKept::LastErrorKept() : error_(platform::GetLastError()) {}
LastErrorKept::~LastErrorKept() { platform::SetLastError(error_); }

Stopwatch::Stopwatch() : start_(IsOpen() ? platform::TickCount() : 0) {}

std::uint64_t Stopwatch::Milliseconds() const
{
    return IsOpen() ? platform::TickCount() - start_ : 0;
}

void Open(const std::u16string& path)
{
    const LastErrorKept kept;
    State& state = Current();
    state = State{};
    // The folder may be one others can write: never through a link, never a
    // directory or a device, never a file that has another name too.
    state.file = CreateFileAt(path, platform::FileDisposition::AppendOwnName);
    if (!state.file) {
        return;
    }
    state.opened = platform::TickCount();
    if (platform::GetLastError() != errors::kAlreadyExists) {
        Append(state, kByteOrderMark);
    }
}

bool IsOpen() { return static_cast<bool>(Current().file); }

void Write(const std::u16string& text)
{
    State& state = Current();
    if (!state.file || state.full) {
        return;
    }
    const LastErrorKept kept;
    const std::string line = Line(text);
    if (state.written + line.size() + kClosingRoom > kMostBytesPerRun) {
        state.full = true;
        Append(state, Line(u"the record of this run stops here: a run adds at most " +
                           ToDecimal(static_cast<std::int64_t>(kMostBytesPerRun)) + u" bytes"));
        return;
    }
    Append(state, line);
}

void Close(const std::u16string& text)
{
    State& state = Current();
    if (!state.file) {
        return;
    }
    const LastErrorKept kept;
    std::u16string closing = text;
    if (state.failedWrites > 0) {
        closing += u"; this record misses " + ToDecimal(state.failedWrites) +
                   u" line(s) that could not be written: error " +
                   ToDecimal(state.firstError) + u" (" + platform::ErrorText(state.firstError) +
                   u")";
    }
    Append(state, Line(closing.substr(0, kClosingRoom / 4)));
    state = State{};
}

void Discard()
{
    Current().file.Release();
    Current() = State{};
}

std::uint64_t Elapsed() { return IsOpen() ? platform::TickCount() - Current().opened : 0; }

}  // namespace record

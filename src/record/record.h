#pragma once

#include <cstdint>
#include <string>

// The run's record (/log): one line per event, appended to a file an administrator
// names. Every room reports what it decided through events.h; this keeps the file.
// Nothing here changes what the run does: a record that cannot be opened or written
// is only said in its own closing line, and the caller's last error is left as it was.

namespace record {

// What one run may add to the file; the closing line always has room.
inline constexpr std::size_t kMostBytesPerRun = 64 * 1024;

// Opens path for appending (a new file starts with a UTF-8 byte-order mark). Until
// then, and when it fails, every event is dropped without a platform call.
void Open(const std::u16string& path);
bool IsOpen();

// Appends one line with the time and the process id.
void Write(const std::u16string& text);

// Appends the closing line, with what went wrong with the record if anything did,
// and closes the file.
void Close(const std::u16string& text);

// Drops the record without a closing line; tests start each run afresh.
void Discard();

// Milliseconds since the record was opened.
std::uint64_t Elapsed();

// Keeps the caller's last error across an event's own platform calls.
class LastErrorKept {
public:
    LastErrorKept();
    ~LastErrorKept();
    LastErrorKept(const LastErrorKept&) = delete;
    LastErrorKept& operator=(const LastErrorKept&) = delete;

private:
    std::uint32_t error_;
};

// Measures one step, for the line that reports it.
class Stopwatch {
public:
    Stopwatch();
    [[nodiscard]] std::uint64_t Milliseconds() const;

private:
    std::uint64_t start_;
};

}  // namespace record

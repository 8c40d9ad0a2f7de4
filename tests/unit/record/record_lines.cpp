#include "unit/record/record_lines.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "doubles/fake_platform.h"

namespace {

const std::string kByteOrderMark = "\xEF\xBB\xBF";
const std::string kStamp = "2026-12-09T20:15:03.042+01:00 [4242] ";

}  // namespace

std::vector<std::string> RecordEvents(const std::u16string& path)
{
    const auto file = fake::Platform().files.contents.find(path);
    if (file == fake::Platform().files.contents.end()) {
        ADD_FAILURE() << "no record at " << ToUtf8(path);
        return {};
    }
    const std::string bytes(file->second.begin(), file->second.end());
    EXPECT_EQ(bytes.compare(0, kByteOrderMark.size(), kByteOrderMark), 0);
    std::vector<std::string> events;
    for (std::size_t at = kByteOrderMark.size(); at < bytes.size();) {
        const std::size_t end = bytes.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "unterminated: " << bytes.substr(at);
        const std::string line = bytes.substr(at, end - at);
        EXPECT_EQ(line.compare(0, kStamp.size(), kStamp), 0) << line;
        events.push_back(line.substr(std::min(kStamp.size(), line.size())));
        at = end == std::string::npos ? bytes.size() : end + 2;
    }
    return events;
}

std::string RecordEvent(const std::u16string& path, const std::string& start)
{
    std::vector<std::string> found;
    for (const std::string& event : RecordEvents(path)) {
        if (event.compare(0, start.size(), start) == 0) {
            found.push_back(event);
        }
    }
    EXPECT_EQ(found.size(), 1u) << start;
    return found.empty() ? std::string() : found[0];
}

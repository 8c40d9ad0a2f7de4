#pragma once

#include <cstdint>
#include <string>

#include "platform/files.h"

// What one installer call on a product runs under: a verbose log into a new file
// at logPath, held so that its entry stays ours while the installer writes (no
// file when logPath is empty or none can be made there), and the installer's UI
// level for this desktop. Both are process-wide and are set back when it goes.
class InstallerSession {
public:
    explicit InstallerSession(const std::u16string& logPath);
    ~InstallerSession();
    InstallerSession(const InstallerSession&) = delete;
    InstallerSession& operator=(const InstallerSession&) = delete;

    // Empty when the installer logs without a file; then LogError says why.
    [[nodiscard]] const std::u16string& LogPath() const { return logPath_; }
    [[nodiscard]] std::uint32_t LogError() const { return logError_; }

private:
    platform::File logFile_;
    std::u16string logPath_;
    std::uint32_t logError_ = 0;
    int previousUi_ = 0;
};

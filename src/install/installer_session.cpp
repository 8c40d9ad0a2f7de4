#include "install/installer_session.h"

#include "install/log_file.h"
#include "installer/installer.h"
#include "platform/boxes.h"
#include "platform/thread_state.h"

InstallerSession::InstallerSession(const std::u16string& logPath)
    : logFile_(CreateLogFile(logPath))
{
    if (logFile_) {
        logPath_ = logPath;
    } else {
        logError_ = platform::GetLastError();
    }
    installer::EnableLog(installer::kLogModeVerbose, logPath_, 0);
    // The installer's own dialogs would wait for ever where no one sees them.
    previousUi_ = installer::SetInternalUI(platform::IsDesktopVisible()
                                               ? installer::kUiLevelBasicNoCancel
                                               : installer::kUiLevelNone);
}

InstallerSession::~InstallerSession()
{
    installer::EnableLog(installer::kLogModeOff, u"", 0);
    logFile_.Reset();  // only now may the entry go
    installer::SetInternalUI(previousUi_);
}

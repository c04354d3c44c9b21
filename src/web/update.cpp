// The update check after every search: the maker's version file names another version than
// this one -> offer the download page. "No" stops asking until the next start.
#include "app/frmMain.h"

#include "web/addresses.h"
#include "web/versionfile.h"

namespace {
const QString kThisVersion = QStringLiteral(HARROWKIT_VERSION);
const QString kQuestion =
    QStringLiteral("Would you like to download the latest version of HarrowKIT?");
constexpr int kYesNoQuestionSystemModal = 4 + 32 + 4096;
constexpr int kYes = 6;
constexpr int kNo = 7;
} // namespace

void frmMain::updateCheck()
{
    step([&] { regAccess = settingRead("upd", upD); });
    if (branch([&] { return upD != 1; }))
        return;
    QString version;
    step([&] { version = versionInFile(m_platform.transfer.OpenURL(addresses::versionFile())); });
    step([&] { version = version.left(3); });
    if (branch([&] { return version.isEmpty(); }))
        return;
    if (branch([&] { return version == kThisVersion; }))
        return;
    int answer = 0;
    step([&] {
        answer = m_platform.messageBox.ask(kQuestion, kYesNoQuestionSystemModal,
                                           QStringLiteral("HarrowKIT"));
    });
    if (answer == kYes) {
        step([&] { upD = 1; });
        step([&] { regAccess = settingWrite("upd", upD); });
        step([&] { m_platform.shell.open(addresses::downloadPage()); });
    } else if (answer == kNo) {
        step([&] { upD = 0; });
        step([&] { regAccess = settingWrite("upd", upD); });
    }
}

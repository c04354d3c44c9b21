// Exit: every close request but a session end asks before the program ends.
#include "app/frmMain.h"

#include <QCloseEvent>

namespace {
const QString kQuestion = QStringLiteral("Are you sure you want to exit HarrowKIT?");
constexpr int kYesNoExclamation = 4 + 48;
constexpr int kYes = 6;
constexpr int kNo = 7;
constexpr Int16 kSessionEnding = 2;
} // namespace

void frmMain::Form_QueryUnload(Int16 &cancel, Int16 &unloadMode)
{
    if (unloadMode == kSessionEnding)
        return;
    int answer = 0;
    step([&] {
        answer =
            m_platform.messageBox.ask(kQuestion, kYesNoExclamation, QStringLiteral("HarrowKIT"));
    });
    if (answer == kYes) {
        step([&] { m_unloading = true; });
        step([&] { hide(); });
        m_platform.process.end();
    }
    if (answer == kNo)
        cancel = 1;
}

void frmMain::imgClose_Click()
{
    Unload(1);
}

bool frmMain::Unload(Int16 unloadMode)
{
    Int16 cancel = 0;
    Form_QueryUnload(cancel, unloadMode);
    if (cancel != 0)
        return false;
    m_unloading = true;
    step([&] { hide(); });
    // The process ends with its only window.
    m_platform.process.end();
    return true; // not reached
}

void frmMain::closeEvent(QCloseEvent *e)
{
    if (m_unloading) {
        e->accept();
        return;
    }
    // The window's close command, from the window system or another program.
    e->ignore();
    Unload(0);
}

// The watchdog: re-docks a tab pushed past the screen's right edge and re-asserts the
// stay-on-top state every two seconds; the knob only flips the stored choice.
#include "app/frmMain.h"

namespace {
const QString kOnTopOn = QStringLiteral(" Stay On Top Mode: ON ");
const QString kOnTopOff = QStringLiteral(" Stay On Top Mode: OFF ");
} // namespace

void frmMain::Timer1_Timer()
{
    // Screens added, removed, resized or moved: a docked tab goes to the outer right edge at
    // its stored height. A tab that is out or sliding follows once it is back.
    if (branch([&] { return extended == 0 && once == 0 && screensChanged(); })) {
        step([&] { regAccess = settingRead("poy", poY); });
        step([&] { chooseScreen(poY, kStrip); });
        step([&] { setTop(poY); });
        step([&] { setLeft(ScreenWidth() - kStrip); });
    }
    if (branch([&] { return Left() > ScreenWidth(); })) {
        step([&] { regAccess = settingRead("poy", poY); });
        step([&] { setTop(poY); });
        step([&] { setLeft(ScreenWidth() - kStrip); });
    }
    // A state the window is known to hold still is not applied again: an idle tick costs
    // nothing of the window system.
    IStayOnTop &onTop = m_platform.stayOnTop;
    if (branch([&] { return onTopToggle == 0; })) {
        if (!onTop.holds(*this, false))
            step([&] { setStayOnTop(false); });
        step([&] { imgOnTop->setToolTip(kOnTopOff); });
    } else {
        step([&] { imgOnTop->setToolTip(kOnTopOn); });
        if (!onTop.holds(*this, true)) {
            step([&] { setStayOnTop(false); });
            step([&] { m_platform.events.doEvents(); });
            step([&] { setStayOnTop(true); });
        }
    }
}

void frmMain::imgOnTop_Click()
{
    if (onTopToggle == 1)
        onTopToggle = 0;
    else if (onTopToggle == 0)
        onTopToggle = 1;
    else
        return;
    // A failed write leaves the choice in memory; the watchdog applies it all the same.
    step([&] { regAccess = settingWrite("ont", onTopToggle); });
}

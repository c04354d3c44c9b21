// Start-up: refuse a second instance, restore the four settings, skin and dock the tab, start
// loading the search page and show the window with its stay-on-top state.
#include "app/frmMain.h"

#include "web/addresses.h"

namespace {
const QString kClassName = QStringLiteral("HarrowKit");
const QString kOnTopOn = QStringLiteral(" Stay On Top Mode: ON ");
const QString kOnTopOff = QStringLiteral(" Stay On Top Mode: OFF ");
} // namespace

void frmMain::Form_Load()
{
    Platform &p = m_platform;
    startup = -1;

    if (branch([&] {
            return p.instance.prevInstance() || p.instance.findWindow(kClassName, AppTitle) > 0;
        })) {
        QString title;
        step([&] { title = AppTitle; });
        step([&] { AppTitle = QStringLiteral("#$#"); });
        step([&] { p.instance.activate(title); });
        step([&] { Unload(1); });
        p.process.end();
    }
    // This process is the running instance: later starts reach it for activation.
    step([&] {
        p.instance.listen([this] {
            step([&] { show(); });
            step([&] { setStayOnTop(true); });
            step([&] { activateWindow(); });
            // The stay-on-top state is applied again at the next watchdog tick.
        });
    });

    step([&] { setVisible(false); });

    step([&] { regAccess = settingRead("skn", skin); });
    if (branch([&] { return regAccess == 0; })) {
        step([&] { skin = 1; });
        step([&] { regAccess = settingWrite("skn", skin); });
    }

    step([&] { applySkin(); });

    step([&] { setLeft(ScreenWidth() - kStrip); });

    step([&] { regAccess = settingRead("poy", poY); });
    if (branch([&] { return regAccess == 0; })) {
        step([&] { poY = 80; });
        step([&] { regAccess = settingWrite("poy", poY); });
    }
    step([&] { setTop(poY); });
    // On a desktop of several screens the tab belongs on the outer right edge at that height.
    if (branch([&] { return chooseScreen(poY, kStrip); })) {
        step([&] { setTop(poY); });
        step([&] { setLeft(ScreenWidth() - kStrip); });
    }

    step([&] { upD = 1; });
    step([&] { regAccess = settingWrite("upd", upD); });

    step([&] { regAccess = settingRead("ont", onTopToggle); });
    if (branch([&] { return regAccess == 0; })) {
        step([&] { onTopToggle = 1; });
        step([&] { regAccess = settingWrite("ont", onTopToggle); });
    }

    step([&] { picButton->setPicture(imlButton.Picture(1)); });

    step([&] { startup = 0; });
    step([&] { extended = 0; });
    step([&] { buttonMouseOver = 0; });

    step([&] { p.browser.Navigate(addresses::searchPage()); });

    step([&] { setVisible(true); });

    if (branch([&] { return onTopToggle == 1; })) {
        step([&] { imgOnTop->setToolTip(kOnTopOn); });
        step([&] { setStayOnTop(true); });
    } else {
        step([&] { imgOnTop->setToolTip(kOnTopOff); });
        step([&] { setStayOnTop(false); });
    }

    step([&] { once = 0; });
}

void frmMain::setStayOnTop(bool on)
{
    m_platform.stayOnTop.setStayOnTop(*this, on);
}

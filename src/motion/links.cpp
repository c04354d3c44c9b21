// The link areas: each opens its page in the person's own browser and slides the tab back.
#include "app/frmMain.h"

#include "web/addresses.h"

void frmMain::openLink(const QString &url)
{
    step([&] { m_platform.shell.open(url); });
    step([&] { once = 0; });
    step([&] { Form_MouseMove(0, 0, 0, 0); });
    step([&] { TimerRetract->setEnabled(false); });
}

void frmMain::imgGoGoogle_Click()
{
    openLink(addresses::engineHome());
}

void frmMain::imgHarrowKit_Click()
{
    openLink(addresses::downloadIndex());
}

void frmMain::imgGoVesko_Click()
{
    openLink(addresses::makerHome());
}

// Skin cycling: the option knob moves to the next of the 17 skins and stores its number.
#include "app/frmMain.h"

#include "skin/SkinForm.h"

void frmMain::applySkin()
{
    step([&] { BackPic->setPicture(imgSkin.Picture(skin)); });
    Colour key = 0;
    step([&] { SkinForm(*this, *BackPic, key); });
}

void frmMain::imgOptions_Click()
{
    step([&] { TimerRetract->setEnabled(false); });
    step([&] { skin = add16(skin, 1); });
    if (branch([&] { return skin > 17; }))
        step([&] { skin = 1; });
    step([&] { applySkin(); });
    step([&] { regAccess = settingWrite("skn", skin); });
    step([&] { TimerRetract->setEnabled(true); });
}

// The search button's pictures: normal, hover while the mouse is over it, pressed while held.
// Leaving the button is noticed when the mouse next moves over the window's surface, the text
// box or a grip (resetButtonPicture).
#include "app/frmMain.h"

void frmMain::picButton_MouseMove(Int16, Int16, float, float)
{
    if (branch([&] { return buttonMouseOver == 0; })) {
        step([&] { buttonMouseOver = -1; });
        step([&] { picButton->setPicture(imlButton.Picture(2)); });
    }
}

void frmMain::picButton_MouseDown(Int16, Int16, float, float)
{
    step([&] { picButton->setPicture(imlButton.Picture(4)); });
}

void frmMain::picButton_MouseUp(Int16, Int16, float, float)
{
    step([&] { picButton->setPicture(imlButton.Picture(2)); });
}

void frmMain::resetButtonPicture()
{
    if (branch([&] { return buttonMouseOver == -1; })) {
        step([&] { picButton->setPicture(imlButton.Picture(1)); });
        step([&] { buttonMouseOver = 0; });
    }
}

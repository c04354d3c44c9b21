// Dragging the tab up and down along the edge by its bar (Picture1) or its end cap (Image1).
// The grab point stays under the cursor; the release stores the top as "poy".
#include "app/frmMain.h"

namespace {
constexpr float kGripTop = 495;       // both grips lie this far below the window's top
constexpr double kTwipsPerPixel = 15; // the cursor is converted at the layout's own ratio
} // namespace

void frmMain::Image1_MouseDown(Int16, Int16, float, float y)
{
    step([&] { TimerRetract->setEnabled(false); });
    step([&] { dragging = 1; });
    step([&] { grabY = y + kGripTop; });
}

void frmMain::Picture1_MouseDown(Int16 button, Int16 shift, float x, float y)
{
    Image1_MouseDown(button, shift, x, y);
}

void frmMain::Image1_MouseMove(Int16, Int16, float, float)
{
    step([&] { resetButtonPicture(); });
    if (branch([&] { return dragging != 1 && startup != -1; }))
        return;
    dragTo();
}

void frmMain::Picture1_MouseMove(Int16 button, Int16 shift, float x, float y)
{
    Image1_MouseMove(button, shift, x, y);
}

void frmMain::Image1_MouseUp(Int16, Int16, float, float)
{
    dragEnd();
}

void frmMain::Picture1_MouseUp(Int16, Int16, float, float)
{
    dragEnd();
}

void frmMain::Form_MouseUp(Int16, Int16, float, float)
{
    dragEnd();
}

void frmMain::dragTo()
{
    QPoint cursor;
    step([&] { cursor = m_platform.cursor.pos(); });
    step([&] {
        const int y = cursor.y() - screenOrigin().y(); // from the top of the screen docked on
        setTop(static_cast<float>(y * kTwipsPerPixel - grabY));
    });
}

void frmMain::dragEnd()
{
    step([&] { dragging = 0; });
    step([&] { poY = cint16(Top()); });
    step([&] { regAccess = settingWrite("poy", poY); });
    step([&] { TimerRetract->setEnabled(true); });
}

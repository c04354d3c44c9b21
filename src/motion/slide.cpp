// The slide toggle: a docked tab slides out to the left in 37-twip steps until it is fully on
// screen, an extended one slides back until only its strip shows. Every step lets the window
// system show it. The retract timer runs the toggle again after a pause that clicks and
// typing in the text box restart.
#include "app/frmMain.h"

namespace {
constexpr float kStep = 37;
}

void frmMain::Form_MouseMove(Int16, Int16, float, float)
{
    step([&] { once = add16(once, 1); });
    step([&] { resetButtonPicture(); });
    // Moves delivered while a slide runs (the window moves under the pointer) start no slide
    // of their own; the running slide clears the count when it ends.
    if (branch([&] { return once > 1; }))
        return;

    IEventPump &events = m_platform.events;
    if (branch([&] { return extended != 0; })) {
        // Typing goes back to where it went before the slide-out, not into a box on its way
        // off the screen.
        step([&] { returnKeyboard(); });
        Int16 last = 0; // fixed before the first step
        step([&] { last = cint16(Width() / kStep); });
        for (int i = 3; i <= last; ++i) {
            step([&] { setLeft(Left() + kStep); }); // Left is read anew at every step
            step([&] { events.doEvents(); });
        }
        step([&] { extended = 0; });
        step([&] { TimerRetract->setEnabled(false); });
        step([&] { once = 0; });
        return;
    }

    Int16 last = 0; // the hidden width in steps, fixed before the first step
    step([&] { last = cint16((Width() - (ScreenWidth() - Left())) / kStep); });
    for (int i = 1; i <= last; ++i) {
        step([&] { setLeft(Left() - kStep); });
        step([&] { events.doEvents(); });
    }
    step([&] { extended = -1; });
    step([&] { TimerRetract->setEnabled(true); });
    step([&] { once = 0; });
    step([&] { SetFocus(); });
}

void frmMain::TimerRetract_Timer()
{
    step([&] { once = 0; });
    step([&] { Form_MouseMove(0, 0, 0, 0); });
    step([&] { TimerRetract->setEnabled(false); });
}

void frmMain::Text1_Change()
{
    step([&] { TimerRetract->setEnabled(false); });
    step([&] { TimerRetract->setEnabled(true); });
}

void frmMain::Text1_Click()
{
    step([&] { TimerRetract->setEnabled(false); });
    step([&] { TimerRetract->setEnabled(true); });
}

void frmMain::Text1_MouseMove(Int16, Int16, float, float)
{
    step([&] { resetButtonPicture(); });
}

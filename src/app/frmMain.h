// The one window of the program: the tab. Its controls, its state record and its event
// handlers. The handlers are defined where each behaviour lives: app/ (start-up, exit,
// watchdog), motion/ (slide, drag, links), skin/ (shape, skins, button pictures), web/ (search,
// update check).
#pragma once

#include "controls/controls.h"
#include "controls/form.h"
#include "controls/int16.h"
#include "controls/platform.h"
#include "controls/resume.h"

#include <QString>

class frmMain : public Form {
    Q_OBJECT
public:
    explicit frmMain(Platform &platform);
    ~frmMain() override;

    // --- the window state record: nine 16-bit variables, all 0 at creation ---
    Int16 startup = 0;
    Int16 extended = 0;
    Int16 regAccess = 0;
    Int16 once = 0;
    Int16 poY = 0;
    Int16 buttonMouseOver = 0;
    Int16 skin = 0;
    Int16 upD = 0;
    Int16 onTopToggle = 0;
    // the drag grips' own values
    Int16 dragging = 0;
    float grabY = 0;

    // --- controls, by their names ---
    PictureBox *picButton;
    PictureBox *Picture1;
    PictureBox *BackPic;
    ImageArea *imgOnTop;
    ImageArea *imgClose;
    ImageArea *imgOptions;
    ImageArea *Image1;
    TextBox *Text1 = nullptr; // made when a person first comes to the tab
    ImageArea *imgGoVesko;
    ImageArea *imgHarrowKit;
    ImageArea *imgGoGoogle;
    Timer *TimerRetract;
    Timer *Timer1;
    ImageList imlButton;
    ImageList imgSkin{true}; // one skin shows at a time

    // How much of the docked tab shows at the screen's right edge.
    static constexpr float kStrip = 90;

    // --- the application object ---
    QString AppTitle = QStringLiteral("HarrowKIT");

    // --- start-up and exit ---
    void Form_Load();
    void Form_QueryUnload(Int16 &cancel, Int16 &unloadMode);
    void imgClose_Click();
    // Asks the window to close with a close reason: 0 the window's close command, 1 the
    // program itself, 2 the session is ending. Returns false when the close was cancelled.
    bool Unload(Int16 unloadMode);

    // --- watchdog and stay-on-top ---
    void Timer1_Timer();
    void imgOnTop_Click();
    void setStayOnTop(bool on); // the stay-on-top control's StayOnTop property

    // --- slide and retract ---
    void Form_MouseMove(Int16 button, Int16 shift, float x, float y);
    void TimerRetract_Timer();
    void Text1_Change();
    void Text1_Click();
    void Text1_MouseMove(Int16 button, Int16 shift, float x, float y);

    // --- drag along the edge ---
    void Image1_MouseDown(Int16 button, Int16 shift, float x, float y);
    void Image1_MouseMove(Int16 button, Int16 shift, float x, float y);
    void Image1_MouseUp(Int16 button, Int16 shift, float x, float y);
    void Picture1_MouseDown(Int16 button, Int16 shift, float x, float y);
    void Picture1_MouseMove(Int16 button, Int16 shift, float x, float y);
    void Picture1_MouseUp(Int16 button, Int16 shift, float x, float y);
    void Form_MouseUp(Int16 button, Int16 shift, float x, float y);

    // --- link areas ---
    void imgGoGoogle_Click();
    void imgHarrowKit_Click();
    void imgGoVesko_Click();

    // --- skins and the search button's pictures ---
    void applySkin();
    void imgOptions_Click();
    void picButton_MouseMove(Int16 button, Int16 shift, float x, float y);
    void picButton_MouseDown(Int16 button, Int16 shift, float x, float y);
    void picButton_MouseUp(Int16 button, Int16 shift, float x, float y);

    // --- search and update check ---
    void Text1_KeyPress(Int16 &keyAscii);
    void picButton_Click();

    Platform &platform() { return m_platform; }

protected:
    void mousePressEvent(QMouseEvent *e) override { m_events.press(*this, e); }
    void mouseDoubleClickEvent(QMouseEvent *e) override { m_events.doubleClick(*this, e); }
    void mouseMoveEvent(QMouseEvent *e) override { m_events.moveTo(*this, e); }
    void mouseReleaseEvent(QMouseEvent *e) override { m_events.release(*this, e); }
    void closeEvent(QCloseEvent *e) override;

private:
    void buildLayout();
    void buildBeyondTheStrip();
    void bindHandlers();
    void resetButtonPicture(); // the search button's normal picture after a hover
    void dragTo();             // the grips' move: the window's top follows the cursor
    void dragEnd();            // the end of a drag: save the top as "poy"
    void openLink(const QString &url);
    void updateCheck();
    Int16 settingRead(const char *name, Int16 &value);
    Int16 settingWrite(const char *name, Int16 &value);

    Platform &m_platform;
    MouseEvents m_events;
    bool m_unloading = false;
    bool m_searching = false; // a search is waiting for its page or running its update check
};

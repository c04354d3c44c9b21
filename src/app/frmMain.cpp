// The window's layout: every control at its place, size, stacking, tab order and tooltip.
// Positions were drawn at 15 twips per pixel; they are laid out in those pixels.
#include "app/frmMain.h"

#include "controls/accessible.h"
#include "controls/session.h"
#include "settings/modRegistry.h"

#include <QCloseEvent>
#include <QIcon>

namespace {
QRect px(int left, int top, int width, int height)
{
    return {left / 15, top / 15, width / 15, height / 15};
}

QPixmap asset(const QString &name)
{
    return loadPicture(QStringLiteral(":/") + name);
}
} // namespace

frmMain::frmMain(Platform &platform) : Form(platform.screen), m_platform(platform)
{
    Q_INIT_RESOURCE(assets);
    buildLayout();
    bindHandlers();
    onSessionEnd(this, [this] { Unload(2); });
}

frmMain::~frmMain() = default;

void frmMain::buildLayout()
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("HarrowKit"));
    setWindowFlags(Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    resize(411, 133);
    // Until start-up docks it, the window waits just beyond the screen's right edge.
    setLeft(ScreenWidth());

    for (int n = 1; n <= 17; ++n)
        imgSkin.add(QStringLiteral(":/skin%1.bmp").arg(n, 2, 10, QLatin1Char('0')));
    for (int n = 1; n <= 4; ++n)
        imlButton.add(QStringLiteral(":/button%1.bmp").arg(n));

    // Created bottom first: a later sibling lies above an earlier one. Windowed controls
    // (picture boxes, text box) cover the windowless image areas.
    Image1 = new ImageArea(this);
    Image1->setGeometry(px(5745, 495, 645, 690));
    imgOptions = new ImageArea(this);
    imgOptions->setGeometry(px(5970, 555, 135, 120));
    imgOptions->setToolTip(QStringLiteral(" Change Skin "));
    imgClose = new ImageArea(this);
    imgClose->setGeometry(px(6015, 1020, 120, 120));
    imgClose->setToolTip(QStringLiteral(" Exit HarrowKIT "));
    imgOnTop = new ImageArea(this);
    imgOnTop->setGeometry(px(5775, 1020, 120, 120));
    imgOnTop->setToolTip(QStringLiteral("Stay On Top Mode"));

    BackPic = new PictureBox(this);
    BackPic->AutoSize = true;
    BackPic->setGeometry(px(-15, -15, 6195, 1200));
    BackPic->setPicture(imgSkin.Picture(1));
    BackPic->setVisible(false);

    Picture1 = new PictureBox(this, true);
    Picture1->setGeometry(px(180, 495, 5580, 690));
    QWidget *inside = Picture1->inside();
    imgGoGoogle = new ImageArea(inside);
    imgGoGoogle->setGeometry(px(765, 345, 645, 210));
    imgHarrowKit = new ImageArea(inside);
    imgHarrowKit->setGeometry(px(75, 135, 1365, 225));
    imgGoVesko = new ImageArea(inside);
    imgGoVesko->setGeometry(px(2460, 480, 1170, 180));
    for (ImageArea *link : {imgGoGoogle, imgHarrowKit, imgGoVesko})
        link->setCursor(Qt::PointingHandCursor);

    picButton = new PictureBox(this);
    picButton->setGeometry(px(4725, 630, 930, 360));

    Timer1 = new Timer(this, 2000, true);
    TimerRetract = new Timer(this, 15000, false);

    const std::pair<QWidget *, const char *> names[] = {
        {Image1, "Image1"},           {imgOptions, "imgOptions"},     {imgClose, "imgClose"},
        {imgOnTop, "imgOnTop"},       {BackPic, "BackPic"},           {Picture1, "Picture1"},
        {imgGoGoogle, "imgGoGoogle"}, {imgHarrowKit, "imgHarrowKit"}, {imgGoVesko, "imgGoVesko"},
        {picButton, "picButton"}};
    for (const auto &[w, name] : names)
        w->setObjectName(QLatin1String(name));
    Timer1->setObjectName(QStringLiteral("Timer1"));
    TimerRetract->setObjectName(QStringLiteral("TimerRetract"));

    // What a screen reader announces: the knobs by what they do, the links by where they go.
    // The knobs' tooltips stay and are read as their descriptions.
    const std::tuple<QWidget *, QAccessible::Role, const char *> spoken[] = {
        {picButton, QAccessible::Button, "Search"},
        {imgOptions, QAccessible::Button, "Change skin"},
        {imgOnTop, QAccessible::Button, "Stay on top"},
        {imgClose, QAccessible::Button, "Exit HarrowKIT"},
        {imgGoGoogle, QAccessible::Link, "Search engine home page"},
        {imgHarrowKit, QAccessible::Link, "HarrowKIT downloads"},
        {imgGoVesko, QAccessible::Link, "HarrowKIT home page"}};
    for (const auto &[w, role, name] : spoken)
        setAccessible(*w, role, QLatin1String(name));

    BackPic->setFocusPolicy(Qt::NoFocus);
    Picture1->setFocusPolicy(Qt::NoFocus); // a frame for the box and the links, never typed in
    picButton->setFocusPolicy(Qt::TabFocus);

    // The docked strip shows only the window's own picture: what lies beyond it (the text box
    // with its fonts, the logo strip, the window icon) is made when a person first comes to the
    // tab, before the event that brought them is handled.
    whenFirstReached([this] { buildBeyondTheStrip(); });
}

void frmMain::buildBeyondTheStrip()
{
    QIcon icon;
    for (const char *size : {"16", "32", "48"})
        icon.addPixmap(asset(QStringLiteral("icon%1.png").arg(QLatin1String(size))));
    setWindowIcon(icon);
    Picture1->setPicture(asset(QStringLiteral("logostrip.png")));

    Text1 = new TextBox(Picture1->inside());
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(px(1665, 225, 2790, 240));
    Text1->setTextMargins(2, 0, 2, 0);
    Text1->setAccessibleName(QStringLiteral("Search the web"));
    Text1->events.twipsPerPixel = m_platform.screen.twipsPerPixelX();
    using namespace std::placeholders;
    Text1->events.move = std::bind(&frmMain::Text1_MouseMove, this, _1, _2, _3, _4);
    Text1->events.click = [this] { Text1_Click(); };
    Text1->change = [this] { Text1_Change(); };
    Text1->keyPress = [this](Int16 &k) { Text1_KeyPress(k); };
    Text1->show();
    // Tab order: BackPic, Picture1, Text1, (the hidden browser), picButton. No input has reached
    // the window yet, so whatever control has its focus got it only for being first in that
    // order, which the box now is: the box takes the window's focus.
    Text1->setFocus(Qt::TabFocusReason);
}

void frmMain::bindHandlers()
{
    const float tpp = m_platform.screen.twipsPerPixelX();
    for (MouseEvents *e :
         {&m_events, &picButton->events, &Picture1->events, &BackPic->events, &imgOnTop->events,
          &imgClose->events, &imgOptions->events, &Image1->events, &imgGoVesko->events,
          &imgHarrowKit->events, &imgGoGoogle->events})
        e->twipsPerPixel = tpp;
    using namespace std::placeholders;
    m_events.move = std::bind(&frmMain::Form_MouseMove, this, _1, _2, _3, _4);
    m_events.up = std::bind(&frmMain::Form_MouseUp, this, _1, _2, _3, _4);
    Image1->events.down = std::bind(&frmMain::Image1_MouseDown, this, _1, _2, _3, _4);
    Image1->events.move = std::bind(&frmMain::Image1_MouseMove, this, _1, _2, _3, _4);
    Image1->events.up = std::bind(&frmMain::Image1_MouseUp, this, _1, _2, _3, _4);
    Picture1->events.down = std::bind(&frmMain::Picture1_MouseDown, this, _1, _2, _3, _4);
    Picture1->events.move = std::bind(&frmMain::Picture1_MouseMove, this, _1, _2, _3, _4);
    Picture1->events.up = std::bind(&frmMain::Picture1_MouseUp, this, _1, _2, _3, _4);
    picButton->events.down = std::bind(&frmMain::picButton_MouseDown, this, _1, _2, _3, _4);
    picButton->events.move = std::bind(&frmMain::picButton_MouseMove, this, _1, _2, _3, _4);
    picButton->events.up = std::bind(&frmMain::picButton_MouseUp, this, _1, _2, _3, _4);
    picButton->events.click = [this] { picButton_Click(); };
    imgClose->events.click = [this] { imgClose_Click(); };
    imgOnTop->events.click = [this] { imgOnTop_Click(); };
    imgOptions->events.click = [this] { imgOptions_Click(); };
    imgGoGoogle->events.click = [this] { imgGoGoogle_Click(); };
    imgHarrowKit->events.click = [this] { imgHarrowKit_Click(); };
    imgGoVesko->events.click = [this] { imgGoVesko_Click(); };
    Timer1->tick = [this] { Timer1_Timer(); };
    TimerRetract->tick = [this] { TimerRetract_Timer(); };
}

Int16 frmMain::settingRead(const char *name, Int16 &value)
{
    std::int32_t root = HKEY_CURRENT_USER;
    QString key = QStringLiteral("Software\\HarrowKIT");
    QString valueName = QLatin1String(name);
    return regRead(root, key, valueName, value);
}

Int16 frmMain::settingWrite(const char *name, Int16 &value)
{
    std::int32_t root = HKEY_CURRENT_USER;
    QString key = QStringLiteral("Software\\HarrowKIT");
    QString valueName = QLatin1String(name);
    return regWrite(root, key, valueName, value);
}

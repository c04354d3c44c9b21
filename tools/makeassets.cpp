// makeassets: draws every picture HarrowKIT ships (17 skins, the four faces of
// the Search button, the logo strip and the program icon at the icon theme's
// sizes and as a scalable picture), writes assets.qrc,
// then reads all files back and checks them. Exit code 0 only if every check
// passes. Output is byte-for-byte repeatable: fonts are loaded from fixed files,
// nothing depends on the clock, and no metadata is written.
//
// Usage: QT_QPA_PLATFORM=offscreen makeassets OUTDIR [--preview DIR]
// With --preview, also composes the assembled tab for every skin into DIR.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QConicalGradient>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSaveFile>
#include <QStringList>
#include <QXmlStreamReader>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// ---------------------------------------------------------------- geometry

constexpr int SkinWidth = 413;
constexpr int SkinHeight = 80;
constexpr int SkinCount = 17;

// The dark body of the bar, hidden at run time under the logo strip.
constexpr int BodyLeft = 13;
constexpr int BodyRight = 382;
constexpr int BarTop = 33;
constexpr int BarBottom = 78;

constexpr int ButtonWidth = 64;
constexpr int ButtonHeight = 27;
constexpr int ButtonShownWidth = 62;  // the program shows only this much ...
constexpr int ButtonShownHeight = 24; // ... of the top-left corner

constexpr int StripWidth = 370;
constexpr int StripHeight = 44;

// Inclusive run of opaque pixels in one skin row; empty when first > last.
struct Span {
    int first;
    int last;
};

// The window outline shared by all skins: a 12 px wide strip on the left
// (rows 1..78) joined at the bottom to the bar (rows 33..78).
Span outlineRow(int y)
{
    if (y == 1)
        return {2, 12};
    if (y >= 2 && y <= 32)
        return {1, 12};
    if (y == 33)
        return {1, 410};
    if (y >= 34 && y <= 77)
        return {1, 411};
    if (y == 78)
        return {2, 410};
    return {1, 0};
}

bool insideOutline(int x, int y)
{
    const Span s = outlineRow(y);
    return x >= s.first && x <= s.last;
}

bool onOutlineEdge(int x, int y)
{
    return insideOutline(x, y) && (!insideOutline(x - 1, y) || !insideOutline(x + 1, y) ||
                                   !insideOutline(x, y - 1) || !insideOutline(x, y + 1));
}

bool inBody(int x, int y)
{
    return x >= BodyLeft && x <= BodyRight && y >= BarTop && y <= BarBottom;
}

bool inEndCap(int x, int y)
{
    return x > BodyRight && insideOutline(x, y);
}

// ---------------------------------------------------------------- colour

int clampChannel(double v)
{
    return std::clamp(static_cast<int>(std::lround(v)), 0, 255);
}

// t > 0 lightens towards white by that fraction, t < 0 darkens towards black.
QColor shaded(const QColor &c, double t)
{
    auto one = [t](int v) { return clampChannel(t >= 0 ? v + (255 - v) * t : v * (1.0 + t)); };
    return QColor(one(c.red()), one(c.green()), one(c.blue()));
}

QColor withAlpha(QColor c, int alpha)
{
    c.setAlpha(alpha);
    return c;
}

struct SkinStyle {
    const char *name;
    QColor frame; // dominant colour of the strip and end cap
    bool rainbow; // multicoloured: hue runs along the frame
};

const std::array<SkinStyle, SkinCount> &skinStyles()
{
    static const std::array<SkinStyle, SkinCount> styles{{
        {"blue-violet", QColor(104, 84, 206), false},
        {"olive", QColor(128, 128, 40), false},
        {"copper", QColor(184, 106, 52), false},
        {"pale yellow", QColor(236, 222, 128), false},
        {"dark grey", QColor(82, 84, 88), false},
        {"lime green", QColor(140, 208, 36), false},
        {"green", QColor(40, 140, 64), false},
        {"pink-red", QColor(226, 62, 100), false},
        {"orange", QColor(240, 132, 24), false},
        {"purple", QColor(132, 48, 160), false},
        {"red", QColor(200, 30, 30), false},
        {"rose", QColor(226, 140, 166), false},
        {"silver", QColor(180, 186, 196), false},
        {"grey-teal", QColor(90, 132, 134), false},
        {"multicoloured", QColor(150, 150, 150), true},
        {"tan", QColor(206, 170, 124), false},
        {"sky blue", QColor(92, 172, 232), false},
    }};
    return styles;
}

QColor frameColourAt(const SkinStyle &style, int x, int y)
{
    if (!style.rainbow)
        return style.frame;
    // Hue runs from red at the top of the strip down through the spectrum;
    // on the end cap it continues from left to right.
    const double along = x <= BodyRight ? y / 79.0 : 0.55 + (x - BodyRight) / 29.0 * 0.45;
    return QColor::fromHsv(static_cast<int>(along * 300.0) % 360, 190, 225).toRgb();
}

// ---------------------------------------------------------------- fonts

struct Fonts {
    QString sans;
    QString sansBold;
};

QString loadFontFile(const QString &path)
{
    const int id = QFontDatabase::addApplicationFont(path);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    return families.isEmpty() ? QString() : families.first();
}

QFont makeFont(const QString &family, bool bold, int pixelSize)
{
    QFont f(family);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setKerning(true);
    return f;
}

// Largest font (at most startSize px) whose ink for `text` fits maxW x maxH.
QFont fittedFont(const QString &family, bool bold, const QString &text, qreal maxW, qreal maxH,
                 int startSize)
{
    for (int size = startSize; size > 6; --size) {
        const QFont f = makeFont(family, bold, size);
        const QRectF ink = QFontMetricsF(f).tightBoundingRect(text);
        if (ink.width() <= maxW && ink.height() <= maxH)
            return f;
    }
    return makeFont(family, bold, 6);
}

// Draws `text` so that its ink is centred in `box` (left-aligned if `left`).
// Returns the baseline's origin.
QPointF drawTextInBox(QPainter &p, const QFont &font, const QString &text, const QRectF &box,
                      bool left = false)
{
    const QRectF ink = QFontMetricsF(font).tightBoundingRect(text);
    const qreal x =
        left ? box.left() - ink.left() : box.left() + (box.width() - ink.width()) / 2 - ink.left();
    const qreal y = box.top() + (box.height() - ink.height()) / 2 - ink.top();
    const QPointF origin(std::round(x), std::round(y));
    p.setFont(font);
    p.drawText(origin, text);
    return origin;
}

// ---------------------------------------------------------------- skins

// Brightness profile across the 12 px strip: lit from the left like a rounded
// rail, so that the five columns left on screen when docked show the colour.
double stripProfile(int x)
{
    static const std::array<double, 13> t{0,     0,     0.34,  0.22,  0.10,  0.02, -0.04,
                                          -0.09, -0.14, -0.19, -0.24, -0.30, -0.36};
    return t[static_cast<size_t>(std::clamp(x, 0, 12))];
}

void paintFrameBase(QImage &img, const SkinStyle &style)
{
    for (int y = 0; y < SkinHeight; ++y) {
        for (int x = 0; x < SkinWidth; ++x) {
            if (!insideOutline(x, y))
                continue;
            QColor c;
            if (inBody(x, y)) {
                // Nearly black with a faint sheen near the top edge.
                const int v = y == BarTop ? 30 : y == BarTop + 1 ? 18 : 8;
                c = QColor(v, v, v + 2);
            } else if (inEndCap(x, y)) {
                const double t = 0.16 - 0.40 * (y - BarTop) / 45.0 - 0.10 * (x - 383) / 28.0;
                c = shaded(frameColourAt(style, x, y), t);
            } else {
                // Strip: rail profile plus a gentle fall-off towards the bottom.
                const double t = stripProfile(x) + 0.06 - 0.14 * y / 79.0;
                c = shaded(frameColourAt(style, x, y), t);
            }
            if (!inBody(x, y) && onOutlineEdge(x, y))
                c = shaded(c, -0.55);
            img.setPixelColor(x, y, c);
        }
    }
}

void drawStripDetails(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    // Top cap highlight of the rail.
    p.setPen(withAlpha(Qt::white, 90));
    p.drawLine(3, 2, 10, 2);
    // Grip: engraved ridges in the middle of the strip, visible when docked.
    for (int y = 24; y <= 56; y += 4) {
        p.setPen(withAlpha(Qt::black, 105));
        p.drawLine(2, y, 10, y);
        p.setPen(withAlpha(Qt::white, 110));
        p.drawLine(2, y + 1, 10, y + 1);
    }
}

void drawEndCapDetails(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    // Bevel: light along the top, dark groove between the knob areas.
    p.setPen(withAlpha(Qt::white, 110));
    p.drawLine(384, 34, 409, 34);
    p.drawLine(384, 34, 384, 76);
    p.setPen(withAlpha(Qt::black, 70));
    p.drawLine(386, 58, 408, 58);
    p.setPen(withAlpha(Qt::white, 70));
    p.drawLine(386, 59, 408, 59);
}

// A round raised button: dark rim, a face shaded from the top left.
void drawKnobBody(QPainter &p, const QRectF &r, const QColor &face)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(24, 24, 28));
    p.drawEllipse(r);
    QRadialGradient g(r.left() + r.width() * 0.35, r.top() + r.height() * 0.3, r.width() * 0.75);
    g.setColorAt(0.0, shaded(face, 0.55));
    g.setColorAt(0.5, face);
    g.setColorAt(1.0, shaded(face, -0.40));
    p.setBrush(g);
    p.drawEllipse(r.adjusted(1.0, 1.0, -1.0, -1.0));
}

void drawKnobs(QPainter &p)
{
    // "Change skin": a colour wheel.
    const QRectF wheel(398, 37, 9, 8);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(24, 24, 28));
    p.drawEllipse(wheel);
    QConicalGradient hues(wheel.center(), 90);
    const std::array<QColor, 7> stops{
        QColor(230, 40, 40), QColor(240, 200, 30), QColor(60, 190, 60), QColor(40, 200, 220),
        QColor(50, 80, 230), QColor(200, 50, 210), QColor(230, 40, 40)};
    for (size_t i = 0; i < stops.size(); ++i)
        hues.setColorAt(static_cast<qreal>(i) / 6.0, stops[i]);
    p.setBrush(hues);
    p.drawEllipse(wheel.adjusted(1.0, 1.0, -1.0, -1.0));
    p.setBrush(QColor(245, 245, 245));
    p.drawEllipse(wheel.center(), 1.1, 1.1);

    // "Stay on top": a pin head on a metal button.
    const QRectF pin(385, 68, 8, 8);
    drawKnobBody(p, pin, QColor(196, 200, 208));
    QRadialGradient head(pin.center() - QPointF(0.6, 0.6), 2.2);
    head.setColorAt(0.0, QColor(120, 170, 255));
    head.setColorAt(1.0, QColor(20, 70, 190));
    p.setBrush(head);
    p.drawEllipse(pin.center(), 1.9, 1.9);

    // "Close": a cross on a red button.
    const QRectF close(401, 68, 8, 8);
    drawKnobBody(p, close, QColor(214, 44, 40));
    // Pixel-exact diagonals: at this size anti-aliasing turns a cross into a blob.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(252, 244, 240));
    p.drawLine(403, 70, 406, 73);
    p.drawLine(403, 73, 406, 70);
}

// Pure white is the transparent key colour: everything outside the outline
// becomes white and nothing inside may stay white, whatever the painting left.
void enforceOutline(QImage &img)
{
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            if (!insideOutline(x, y)) {
                img.setPixel(x, y, qRgb(255, 255, 255));
            } else if ((img.pixel(x, y) & 0xffffffu) == 0xffffffu) {
                img.setPixel(x, y, qRgb(254, 254, 254));
            }
        }
    }
}

QImage renderSkin(const SkinStyle &style)
{
    QImage img(SkinWidth, SkinHeight, QImage::Format_RGB32);
    img.fill(Qt::white);
    paintFrameBase(img, style);
    {
        QPainter p(&img);
        drawStripDetails(p);
        drawEndCapDetails(p);
        drawKnobs(p);
    }
    enforceOutline(img);
    return img.convertToFormat(QImage::Format_RGB888);
}

// ---------------------------------------------------------------- button

enum class ButtonFace { Normal, Hover, Disabled, Pressed };

QImage renderButton(ButtonFace face, const Fonts &fonts)
{
    struct Look {
        QColor rim, innerRim, faceTop, faceBottom, text;
        int textShift;
    };
    Look look{};
    switch (face) {
    case ButtonFace::Normal:
        look = {QColor(46, 98, 190),   QColor(170, 200, 240), QColor(254, 254, 254),
                QColor(220, 228, 240), QColor(20, 36, 70),    0};
        break;
    case ButtonFace::Hover:
        look = {QColor(226, 122, 20),  QColor(250, 200, 130), QColor(254, 252, 246),
                QColor(236, 228, 214), QColor(20, 36, 70),    0};
        break;
    case ButtonFace::Disabled:
        look = {QColor(170, 170, 170), QColor(236, 236, 236), QColor(228, 228, 228),
                QColor(212, 212, 212), QColor(150, 150, 150), 0};
        break;
    case ButtonFace::Pressed:
        look = {QColor(92, 92, 96),    QColor(150, 150, 154), QColor(158, 158, 162),
                QColor(184, 184, 188), QColor(16, 16, 20),    1};
        break;
    }

    QImage img(ButtonWidth, ButtonHeight, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    // The face fills exactly the part that is shown: 62 x 24 from the top left.
    const QRectF outer(0.5, 0.5, ButtonShownWidth - 1, ButtonShownHeight - 1);
    QLinearGradient fill(0, 1, 0, ButtonShownHeight - 1);
    fill.setColorAt(0.0, look.faceTop);
    fill.setColorAt(0.45, look.faceTop.darker(104));
    fill.setColorAt(1.0, look.faceBottom);
    p.setPen(QPen(look.rim, 1.0));
    p.setBrush(fill);
    p.drawRoundedRect(outer, 4, 4);
    p.setPen(QPen(look.innerRim, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(outer.adjusted(1, 1, -1, -1), 3, 3);

    p.setPen(look.text);
    const QFont font = makeFont(fonts.sansBold, true, 11);
    drawTextInBox(p, font, QStringLiteral("Search"),
                  QRectF(look.textShift, look.textShift, ButtonShownWidth, ButtonShownHeight));
    return img;
}

// ---------------------------------------------------------------- logo strip

QImage renderLogoStrip(const Fonts &fonts)
{
    QImage img(StripWidth, StripHeight, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    // Product logo "Harrow" + "KIT", centred in its clickable area.
    const QRectF logoBox(5, 9, 91, 15);
    const QString harrow = QStringLiteral("Harrow");
    const QString kit = QStringLiteral("KIT");
    const QFont logoFont =
        fittedFont(fonts.sansBold, true, harrow + kit, logoBox.width(), logoBox.height(), 16);
    const QPointF origin = drawTextInBox(p, logoFont, harrow + kit, logoBox);
    // Repaint each half in its colour over the same baseline.
    const qreal kitX = origin.x() + QFontMetricsF(logoFont).horizontalAdvance(harrow);
    p.fillRect(logoBox, Qt::white);
    p.setFont(logoFont);
    p.setPen(QColor(24, 58, 128));
    p.drawText(origin, harrow);
    p.setPen(QColor(232, 118, 18));
    p.drawText(QPointF(kitX, origin.y()), kit);

    // "powered by Google": the Google word is the link to the search engine.
    const QRectF googleBox(51, 23, 43, 14);
    const QString google = QStringLiteral("Google");
    const QFont googleFont =
        fittedFont(fonts.sans, false, google, googleBox.width(), googleBox.height(), 14);
    const QRectF googleInk = QFontMetricsF(googleFont).tightBoundingRect(google);
    const QPointF gOrigin(
        std::round(googleBox.left() + (googleBox.width() - googleInk.width()) / 2 -
                   googleInk.left()),
        std::round(googleBox.top() + (googleBox.height() - googleInk.height()) / 2 -
                   googleInk.top()));
    const std::array<QColor, 6> googleColours{QColor(66, 133, 244), QColor(234, 67, 53),
                                              QColor(251, 188, 5),  QColor(66, 133, 244),
                                              QColor(52, 168, 83),  QColor(234, 67, 53)};
    p.setFont(googleFont);
    qreal gx = gOrigin.x();
    const QFontMetricsF gm(googleFont);
    for (qsizetype i = 0; i < google.size(); ++i) {
        p.setPen(googleColours[static_cast<size_t>(i)]);
        p.drawText(QPointF(gx, gOrigin.y()), google.mid(i, 1));
        gx += gm.horizontalAdvance(google.left(i + 1)) - gm.horizontalAdvance(google.left(i));
    }
    const QString powered = QStringLiteral("powered by");
    const QFont smallFont =
        fittedFont(fonts.sans, false, powered, googleBox.left() - 3 - 4, 12, 10);
    const QRectF poweredInk = QFontMetricsF(smallFont).tightBoundingRect(powered);
    p.setFont(smallFont);
    p.setPen(QColor(112, 112, 118));
    p.drawText(QPointF(std::round(googleBox.left() - 3 - poweredInk.right()), gOrigin.y()),
               powered);

    // Frame of the text field; the edit box itself covers its inside.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QColor(150, 156, 168));
    p.drawRect(110, 14, 187, 17);
    p.setPen(QColor(214, 218, 226));
    p.drawLine(111, 15, 296, 15);

    // The maker's web address under the field.
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF urlBox(164, 32, 78, 12);
    const QString url = QStringLiteral("www.harrowkit.net");
    p.setPen(QColor(30, 80, 200));
    drawTextInBox(p, fittedFont(fonts.sans, false, url, urlBox.width(), urlBox.height(), 10), url,
                  urlBox);
    return img;
}

// ---------------------------------------------------------------- icon

// The desktop's icon theme asks for these sizes; the window carries the first three listed in
// WindowIconSizes.
constexpr std::array<int, 8> IconSizes{16, 22, 24, 32, 48, 64, 128, 256};
constexpr std::array<int, 3> WindowIconSizes{16, 32, 48};
const QColor IconOutline(28, 36, 56, 220);
const QColor IconFillTop(255, 255, 255);
const QColor IconFillBottom(222, 230, 242);
const QColor IconLetter(28, 92, 210);

// The icon at one size: an outlined speech bubble and the three bars of an H.
struct IconShape {
    QPainterPath bubble;
    qreal pen;
    std::array<QRect, 3> bars;
};

IconShape iconShape(int size)
{
    const qreal s = size;
    // Speech bubble: rounded body with a tail at the lower left.
    const qreal pen = size <= 16 ? 1.0 : size <= 32 ? 1.5 : size <= 64 ? 2.0 : s / 32;
    const qreal inset = pen / 2;
    const qreal bodyBottom = std::round(s * 0.78) - inset;
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(inset, inset, s - 2 * inset, bodyBottom - inset), s * 0.22,
                          s * 0.22);
    QPainterPath tail;
    // Vertical on the left and on a pixel centre, so its edge stays sharp.
    const qreal tailX = std::round(s * 0.22) - 0.5;
    tail.moveTo(tailX, bodyBottom - s * 0.12);
    tail.lineTo(tailX, s - inset);
    tail.lineTo(s * 0.50, bodyBottom - s * 0.02);
    tail.closeSubpath();

    // The letter H built from pixel-aligned bars so it stays crisp at 16 px.
    const int h = static_cast<int>(std::lround(s * 0.44));
    const int stem = std::max(2, static_cast<int>(std::lround(s * 0.13)));
    const int w = static_cast<int>(std::lround(s * 0.42));
    const int left = (size - w) / 2;
    const int top = static_cast<int>(std::lround((bodyBottom - h) / 2.0));
    const int bar = std::max(2, stem * 3 / 4 + (stem % 2));
    return {bubble.united(tail).simplified(),
            pen,
            {QRect(left, top, stem, h), QRect(left + w - stem, top, stem, h),
             QRect(left, top + (h - bar) / 2, w, bar)}};
}

QImage renderIcon(int size)
{
    const IconShape shape = iconShape(size);
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient fill(0, 0, 0, size);
    fill.setColorAt(0.0, IconFillTop);
    fill.setColorAt(1.0, IconFillBottom);
    p.setPen(QPen(IconOutline, shape.pen));
    p.setBrush(fill);
    p.drawPath(shape.bubble);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (const QRect &bar : shape.bars)
        p.fillRect(bar, IconLetter);
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

// The same drawing as a scalable picture, from the geometry of the largest size.
QByteArray iconSvg()
{
    const int size = IconSizes.back();
    const IconShape shape = iconShape(size);
    auto num = [](qreal v) { return QByteArray::number(v, 'g', 6); };
    QByteArray d;
    for (int i = 0; i < shape.bubble.elementCount(); ++i) {
        const QPainterPath::Element e = shape.bubble.elementAt(i);
        const char *command = e.isMoveTo() ? "M" : e.isLineTo() ? "L" : e.isCurveTo() ? "C" : "";
        d += command + num(e.x) + ' ' + num(e.y) + ' ';
    }
    const QByteArray n = QByteArray::number(size);
    QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + n + "\" height=\"" + n +
                     "\" viewBox=\"0 0 " + n + ' ' + n + "\">\n";
    svg += "<defs><linearGradient id=\"fill\" gradientUnits=\"userSpaceOnUse\" x1=\"0\" "
           "y1=\"0\" x2=\"0\" y2=\"" +
           n + "\"><stop offset=\"0\" stop-color=\"" + IconFillTop.name().toLatin1() +
           "\"/><stop offset=\"1\" stop-color=\"" + IconFillBottom.name().toLatin1() +
           "\"/></linearGradient></defs>\n";
    svg += "<path d=\"" + d.trimmed() + "\" fill=\"url(#fill)\" stroke=\"" +
           IconOutline.name().toLatin1() + "\" stroke-opacity=\"" + num(IconOutline.alphaF()) +
           "\" stroke-width=\"" + num(shape.pen) + "\"/>\n";
    for (const QRect &bar : shape.bars)
        svg += "<rect x=\"" + num(bar.x()) + "\" y=\"" + num(bar.y()) + "\" width=\"" +
               num(bar.width()) + "\" height=\"" + num(bar.height()) + "\" fill=\"" +
               IconLetter.name().toLatin1() + "\"/>\n";
    return svg + "</svg>\n";
}

// ---------------------------------------------------------------- output

// The button faces and the logo strip were first made as JPEG pictures (quality 95); they keep
// that look, stored without further loss as BMP (the buttons, shown from start-up on, decoded
// without the PNG decoder's cost) and PNG (the strip), both read without an image plugin.
QImage jpegLook(const QImage &img)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "JPEG", 95);
    return QImage::fromData(bytes, "JPEG").convertToFormat(QImage::Format_RGB32);
}

bool saveImage(const QImage &img, const QString &path, const char *format, int quality = -1)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !img.save(&file, format, quality) || !file.commit()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

QString skinName(int n)
{
    return QStringLiteral("skin%1.bmp").arg(n, 2, 10, QLatin1Char('0'));
}

QString buttonName(int n)
{
    return QStringLiteral("button%1.bmp").arg(n);
}

QString iconName(int size)
{
    return QStringLiteral("icon%1.png").arg(size);
}

const QString IconSvgName = QStringLiteral("icon.svg");

// The pictures compiled into the program (listed in assets.qrc).
QStringList allAssetNames()
{
    QStringList names;
    for (int n = 1; n <= SkinCount; ++n)
        names << skinName(n);
    for (int n = 1; n <= 4; ++n)
        names << buttonName(n);
    names << QStringLiteral("logostrip.png");
    for (int size : WindowIconSizes)
        names << iconName(size);
    return names;
}

// The icon's other sizes, installed into the desktop's icon theme only.
QStringList themeOnlyNames()
{
    QStringList names;
    for (int size : IconSizes)
        if (std::find(WindowIconSizes.begin(), WindowIconSizes.end(), size) ==
            WindowIconSizes.end())
            names << iconName(size);
    return names << IconSvgName;
}

bool saveBytes(const QByteArray &bytes, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool writeQrc(const QString &path)
{
    QByteArray xml("<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/\">\n");
    for (const QString &name : allAssetNames())
        xml += "    <file>" + name.toUtf8() + "</file>\n";
    xml += "</qresource>\n</RCC>\n";
    return saveBytes(xml, path);
}

// ---------------------------------------------------------------- checks

struct Checker {
    int failures = 0;
    void fail(const QString &what)
    {
        ++failures;
        std::fprintf(stderr, "FAIL: %s\n", qPrintable(what));
    }
};

quint32 littleEndian(const QByteArray &b, int at, int bytes)
{
    quint32 v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<quint8>(b.at(at + i));
    return v;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Colours of the columns that stay on screen while the tab is docked.
std::vector<QRgb> dockedPixels(const QImage &img)
{
    std::vector<QRgb> pixels;
    for (int y = 0; y < SkinHeight; ++y)
        for (int x = 1; x <= 5; ++x)
            if (insideOutline(x, y))
                pixels.push_back(img.pixel(x, y));
    return pixels;
}

QColor averageColour(const std::vector<QRgb> &pixels)
{
    double r = 0, g = 0, b = 0;
    for (QRgb px : pixels) {
        r += qRed(px);
        g += qGreen(px);
        b += qBlue(px);
    }
    const double n = std::max<double>(1.0, static_cast<double>(pixels.size()));
    return QColor(clampChannel(r / n), clampChannel(g / n), clampChannel(b / n));
}

void checkSkin(Checker &check, const QString &path, std::vector<std::vector<QRgb>> &docked)
{
    const QByteArray bytes = readAll(path);
    if (bytes.size() < 54 || !bytes.startsWith("BM")) {
        check.fail(path + " is not a BMP file");
        return;
    }
    if (littleEndian(bytes, 28, 2) != 24 || littleEndian(bytes, 30, 4) != 0)
        check.fail(path + " is not 24-bit uncompressed");
    const QImage img(path);
    if (img.width() != SkinWidth || img.height() != SkinHeight) {
        check.fail(path + " has the wrong size");
        return;
    }
    int mismatches = 0;
    int brightBody = 0;
    for (int y = 0; y < SkinHeight; ++y) {
        for (int x = 0; x < SkinWidth; ++x) {
            const QRgb px = img.pixel(x, y);
            const bool white = (px & 0xffffffu) == 0xffffffu;
            if (white == insideOutline(x, y))
                ++mismatches;
            if (inBody(x, y) && std::max({qRed(px), qGreen(px), qBlue(px)}) > 40)
                ++brightBody;
        }
    }
    if (mismatches)
        check.fail(
            QStringLiteral("%1: %2 pixels disagree with the outline").arg(path).arg(mismatches));
    if (brightBody)
        check.fail(QStringLiteral("%1: %2 body pixels are not dark").arg(path).arg(brightBody));
    docked.push_back(dockedPixels(img));
}

// Every skin must be told apart by the five columns left on screen: the mean
// colour distance between corresponding pixels of any two skins.
void checkSkinsDistinct(Checker &check, const std::vector<std::vector<QRgb>> &docked)
{
    for (size_t i = 0; i < docked.size(); ++i)
        for (size_t j = i + 1; j < docked.size(); ++j) {
            const size_t n = std::min(docked[i].size(), docked[j].size());
            double sum = 0;
            for (size_t k = 0; k < n; ++k) {
                const int dr = qRed(docked[i][k]) - qRed(docked[j][k]);
                const int dg = qGreen(docked[i][k]) - qGreen(docked[j][k]);
                const int db = qBlue(docked[i][k]) - qBlue(docked[j][k]);
                sum += std::sqrt(dr * dr + dg * dg + db * db);
            }
            const double distance = n ? sum / static_cast<double>(n) : 0.0;
            if (distance < 30.0)
                check.fail(QStringLiteral("skins %1 and %2 look alike when docked (%3)")
                               .arg(i + 1)
                               .arg(j + 1)
                               .arg(distance, 0, 'f', 1));
        }
}

QImage checkImage(Checker &check, const QString &path, const char *format, QSize size)
{
    const QByteArray bytes = readAll(path);
    const QByteArray jpegMagic("\xff\xd8\xff", 3);
    const QByteArray pngMagic("\x89PNG", 4);
    const QByteArray bmpMagic("BM", 2);
    const bool magicOk = qstrcmp(format, "JPEG") == 0  ? bytes.startsWith(jpegMagic)
                         : qstrcmp(format, "BMP") == 0 ? bytes.startsWith(bmpMagic)
                                                       : bytes.startsWith(pngMagic);
    if (!magicOk)
        check.fail(path + " is not a " + QLatin1String(format) + " file");
    QImage img;
    if (!img.loadFromData(bytes, format) || img.size() != size) {
        check.fail(path + " cannot be read or has the wrong size");
        return QImage();
    }
    return img;
}

// Counts pixels of `img` inside `area` darker than `limit` (grey level). Grey
// level, not single channels, because JPEG smears colour a pixel or two.
int darkPixels(const QImage &img, const QRect &area, int limit)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb px = img.pixel(x, y);
            if (qGray(px) < limit)
                ++n;
        }
    return n;
}

void checkButtonsAndStrip(Checker &check, const QString &dir)
{
    for (int n = 1; n <= 4; ++n) {
        const QImage img =
            checkImage(check, dir + '/' + buttonName(n), "BMP", QSize(ButtonWidth, ButtonHeight));
        if (img.isNull())
            continue;
        // The cut-off margin stays background; the face carries a label.
        if (darkPixels(img, QRect(ButtonShownWidth, 0, 2, ButtonHeight), 235) +
            darkPixels(img, QRect(0, ButtonShownHeight, ButtonWidth, 3), 235))
            check.fail(buttonName(n) + ": drawing outside the shown 62x24 part");
        if (darkPixels(img, QRect(14, 6, 34, 12), 180) < 20)
            check.fail(buttonName(n) + ": no visible label");
    }
    const QImage strip = checkImage(check, dir + QStringLiteral("/logostrip.png"), "PNG",
                                    QSize(StripWidth, StripHeight));
    if (strip.isNull())
        return;
    if (darkPixels(strip, QRect(302, 8, 63, 25), 240))
        check.fail(QStringLiteral("logostrip.png: the button's place is not plain white"));
    if (darkPixels(strip, QRect(5, 9, 91, 15), 160) < 60)
        check.fail(QStringLiteral("logostrip.png: no logo"));
    if (darkPixels(strip, QRect(51, 23, 43, 14), 200) < 20)
        check.fail(QStringLiteral("logostrip.png: no Google mark"));
    if (darkPixels(strip, QRect(164, 32, 78, 12), 200) < 20)
        check.fail(QStringLiteral("logostrip.png: no web address"));
    if (darkPixels(strip, QRect(110, 14, 188, 1), 200) < 150)
        check.fail(QStringLiteral("logostrip.png: no field frame"));
}

void checkIcons(Checker &check, const QString &dir)
{
    for (int size : IconSizes) {
        const QString name = iconName(size);
        const QImage img = checkImage(check, dir + '/' + name, "PNG", QSize(size, size));
        if (img.isNull())
            continue;
        if (!img.hasAlphaChannel() || qAlpha(img.pixel(size - 1, 0)) != 0 ||
            qAlpha(img.pixel(size / 2, size / 3)) != 255)
            check.fail(name + ": expected a transparent corner and an opaque middle");
    }
    // The scalable icon: well-formed, one outline and the three bars of the letter.
    QFile svg(dir + '/' + IconSvgName);
    if (!svg.open(QIODevice::ReadOnly)) {
        check.fail(IconSvgName + QStringLiteral(" is missing"));
        return;
    }
    QXmlStreamReader xml(&svg);
    int paths = 0, rects = 0;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            paths += xml.name() == QLatin1String("path");
            rects += xml.name() == QLatin1String("rect");
        }
    if (xml.hasError() || paths != 1 || rects != 3)
        check.fail(IconSvgName + QStringLiteral(": not one outline and three bars ") +
                   xml.errorString());
}

void checkQrc(Checker &check, const QString &dir)
{
    QFile file(dir + QStringLiteral("/assets.qrc"));
    if (!file.open(QIODevice::ReadOnly)) {
        check.fail(QStringLiteral("assets.qrc is missing"));
        return;
    }
    QXmlStreamReader xml(&file);
    QStringList listed;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("file"))
            listed << xml.readElementText();
    }
    if (xml.hasError())
        check.fail(QStringLiteral("assets.qrc: ") + xml.errorString());
    if (listed != allAssetNames())
        check.fail(QStringLiteral("assets.qrc does not list exactly the generated files"));
    for (const QString &name : listed)
        if (!QFile::exists(dir + '/' + name))
            check.fail(QStringLiteral("assets.qrc lists missing file ") + name);
}

// ---------------------------------------------------------------- preview

// The tab as the program assembles it, on a desktop-like background, with the
// docked view (only x 0..6 on screen) to its left.
QImage composeTab(const QImage &skin, const QImage &strip, const QImage &button)
{
    QImage out(SkinWidth + 40, SkinHeight + 16, QImage::Format_RGB32);
    out.fill(QColor(58, 96, 140));
    const QPoint at(32, 8);
    for (int y = 0; y < SkinHeight; ++y)
        for (int x = 0; x < SkinWidth; ++x) {
            const QRgb px = skin.pixel(x, y);
            if ((px & 0xffffffu) != 0xffffffu) {
                out.setPixel(at.x() + x, at.y() + y, px);
                if (x <= 6)
                    out.setPixel(4 + x, at.y() + y, px);
            }
        }
    QPainter p(&out);
    p.drawImage(at + QPoint(13, 34), strip);
    p.setPen(QColor(40, 40, 44));
    p.drawRect(QRect(at + QPoint(12, 33), QSize(371, 45)));
    p.drawImage(at + QPoint(315, 42), button, QRect(0, 0, ButtonShownWidth, ButtonShownHeight));
    return out;
}

bool writePreviews(const QString &assets, const QString &dir)
{
    QDir().mkpath(dir);
    const QImage strip(assets + QStringLiteral("/logostrip.png"));
    std::array<QImage, 4> buttons;
    for (int n = 1; n <= 4; ++n)
        buttons[static_cast<size_t>(n - 1)] = QImage(assets + '/' + buttonName(n));
    QImage sheet(SkinWidth + 40, (SkinHeight + 16) * SkinCount, QImage::Format_RGB32);
    QPainter sheetPainter(&sheet);
    for (int n = 1; n <= SkinCount; ++n) {
        const QImage tab = composeTab(QImage(assets + '/' + skinName(n)), strip,
                                      buttons[static_cast<size_t>((n - 1) % 4)]);
        sheetPainter.drawImage(0, (n - 1) * (SkinHeight + 16), tab);
        if (!saveImage(tab, dir + QStringLiteral("/tab%1.png").arg(n, 2, 10, QLatin1Char('0')),
                       "PNG"))
            return false;
    }
    sheetPainter.end();
    return saveImage(sheet, dir + QStringLiteral("/alltabs.png"), "PNG");
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 2 && !(args.size() == 4 && args.at(2) == QLatin1String("--preview"))) {
        std::fprintf(stderr, "usage: makeassets OUTDIR [--preview DIR]\n");
        return 2;
    }
    const QString dir = args.at(1);
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(dir));
        return 1;
    }

    const QString fontDir = QStringLiteral("/usr/share/fonts/truetype/dejavu/");
    const Fonts fonts{loadFontFile(fontDir + QStringLiteral("DejaVuSans.ttf")),
                      loadFontFile(fontDir + QStringLiteral("DejaVuSans-Bold.ttf"))};
    if (fonts.sans.isEmpty() || fonts.sansBold.isEmpty()) {
        std::fprintf(stderr, "DejaVu Sans fonts not found in %s\n", qPrintable(fontDir));
        return 1;
    }

    bool written = true;
    for (int n = 1; n <= SkinCount; ++n)
        written &= saveImage(renderSkin(skinStyles()[static_cast<size_t>(n - 1)]),
                             dir + '/' + skinName(n), "BMP");
    const std::array<ButtonFace, 4> faces{ButtonFace::Normal, ButtonFace::Hover,
                                          ButtonFace::Disabled, ButtonFace::Pressed};
    for (int n = 1; n <= 4; ++n)
        written &= saveImage(jpegLook(renderButton(faces[static_cast<size_t>(n - 1)], fonts)),
                             dir + '/' + buttonName(n), "BMP");
    written &=
        saveImage(jpegLook(renderLogoStrip(fonts)), dir + QStringLiteral("/logostrip.png"), "PNG");
    for (int size : IconSizes)
        written &= saveImage(renderIcon(size), dir + '/' + iconName(size), "PNG");
    written &= saveBytes(iconSvg(), dir + '/' + IconSvgName);
    written &= writeQrc(dir + QStringLiteral("/assets.qrc"));
    if (!written)
        return 1;

    Checker check;
    std::vector<std::vector<QRgb>> docked;
    for (int n = 1; n <= SkinCount; ++n)
        checkSkin(check, dir + '/' + skinName(n), docked);
    checkSkinsDistinct(check, docked);
    checkButtonsAndStrip(check, dir);
    checkIcons(check, dir);
    checkQrc(check, dir);
    for (size_t i = 0; i < docked.size(); ++i)
        std::printf("%s: docked colour %s (%s)\n", qPrintable(skinName(static_cast<int>(i) + 1)),
                    qPrintable(averageColour(docked[i]).name()), skinStyles()[i].name);

    if (args.size() == 4 && !writePreviews(dir, args.at(3)))
        return 1;
    if (check.failures) {
        std::fprintf(stderr, "%d check(s) failed\n", check.failures);
        return 1;
    }
    std::printf("all %lld files written and verified\n",
                static_cast<long long>(allAssetNames().size() + themeOnlyNames().size()) + 1);
    return 0;
}

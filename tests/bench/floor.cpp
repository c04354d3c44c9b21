// The floor any Qt program pays here: one 413x80 frameless, shaped window that bypasses the
// window manager, docked like the tab with 6 pixels showing at the screen's right edge, top at
// pixel 5, painted one colour. The benchmark starts it in turn with the program.
#include <QApplication>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QWidget>

namespace {
class Strip : public QWidget {
public:
    Strip()
    {
        setWindowFlags(Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
        resize(413, 80);
        // A shape of a few rectangles, as a skin's is of many.
        QRegion shape(0, 4, 413, 72);
        shape += QRegion(4, 0, 405, 80);
        setMask(shape);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), QColor(40, 90, 160));
    }
};
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Strip strip;
    strip.move(QGuiApplication::primaryScreen()->geometry().width() - 6, 5);
    strip.show();
    return app.exec();
}

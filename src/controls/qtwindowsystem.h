// Qt implementations of the window-system interfaces: event pump, stay-on-top, screen, cursor.
#pragma once

#include "controls/platform.h"

#include <QPointer>
#include <QTimer>

class QtEventPump : public IEventPump {
public:
    // paceMs: how long each call lets the window system catch up before returning.
    explicit QtEventPump(int paceMs = 2) : m_paceMs(paceMs) {}
    void doEvents() override;
    void waitEvents() override;

private:
    int m_paceMs;
};

class QtStayOnTop : public IStayOnTop {
public:
    QtStayOnTop();
    void setStayOnTop(QWidget &window, bool on) override;
    bool holds(QWidget &window, bool on) override;

private:
    void stepDownSoon(int ms);
    void stayBelowQuestion();
    QTimer m_stepDown; // releasing is deferred, so an off-and-on pulse never shows
    QPointer<QWidget> m_window;
    bool m_on = false;
    bool m_watching = false;
    bool m_watchingStack = false; // other windows being mapped or restacked are seen
    bool m_settled = false;       // m_on is applied and no other window was stacked since
};

class QtScreen : public IScreen {
public:
    std::vector<ScreenArea> screens() override;
    float twipsPerPixelX() override;
    float twipsPerPixelY() override;
};

class QtCursor : public ICursor {
public:
    QPoint pos() override;
};

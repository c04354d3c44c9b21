// Scripted stand-ins for everything outside the program, so a test can answer a message box,
// make a fetch fail or deliver a mouse move in the middle of a slide.
#pragma once

#include "app/frmMain.h"
#include "controls/browser/document.h"
#include "settings/modRegistry.h"

#include <QCoreApplication>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>

struct FakeRegistry : IRegistryComponent {
    std::map<QString, QString> values; // the stored texts of the program's key
    bool broken = false;               // every call fails, as with no component at all
    bool failWrites = false;
    QStringList log; // "read skn", "write poy=80", ...

    std::int32_t read(std::int32_t &, QString &, QString &name, QString &data) override
    {
        log << QStringLiteral("read ") + name;
        if (broken)
            throw std::runtime_error("no component");
        auto it = values.find(name);
        if (it == values.end())
            return 0;
        data = it->second;
        return 1;
    }
    std::int32_t write(std::int32_t &, QString &, QString &name, QString &data) override
    {
        log << QStringLiteral("write ") + name + QLatin1Char('=') + data;
        if (broken || failWrites)
            throw std::runtime_error("write failed");
        values[name] = data;
        return 1;
    }
};

struct FakeBrowser : IBrowser {
    QStringList navigations;
    int busyPolls = 0; // Busy answers true this many times after each Navigate
    std::function<void()> onBusy;
    std::shared_ptr<HtmlDocument> document;
    int remaining = 0;

    void Navigate(const QString &url) override
    {
        navigations << url;
        remaining = busyPolls;
    }
    bool Busy() override
    {
        if (onBusy)
            onBusy();
        return remaining-- > 0;
    }
    std::shared_ptr<HtmlDocument> Document() override
    {
        if (!document)
            throw std::runtime_error("no document");
        return document;
    }
};

struct FakeTransfer : ITransfer {
    QStringList requests;
    QString body = QStringLiteral("1.0");
    bool fail = false;
    QString OpenURL(const QString &url) override
    {
        requests << url;
        if (fail)
            throw std::runtime_error("fetch failed");
        return body;
    }
};

struct FakeMessageBox : IMessageBox {
    struct Asked {
        QString text;
        int style;
        QString title;
    };
    std::vector<Asked> asked;
    int answer = 7;
    std::function<void()> whileOpen; // runs while the box waits, like timer ticks would
    int ask(const QString &text, int style, const QString &title) override
    {
        asked.push_back({text, style, title});
        if (whileOpen)
            whileOpen();
        return answer;
    }
};

struct FakeShell : IShell {
    QStringList opened;
    bool fail = false;
    void open(const QString &url) override
    {
        opened << url;
        if (fail)
            throw std::runtime_error("no browser");
    }
};

struct FakeCursor : ICursor {
    QPoint position;
    QPoint pos() override { return position; }
};

struct FakeEventPump : IEventPump {
    int calls = 0;
    std::function<void(int call)> onCall; // delivers "events" in the middle of a loop
    void doEvents() override
    {
        ++calls;
        if (onCall)
            onCall(calls);
    }
};

struct FakeStayOnTop : IStayOnTop {
    std::vector<bool> sets;
    bool fail = false;
    bool holding = false; // the last state set is known to hold still
    bool holds(QWidget &, bool on) override
    {
        return holding && !sets.empty() && sets.back() == on;
    }
    void setStayOnTop(QWidget &, bool on) override
    {
        if (fail)
            throw std::runtime_error("stay-on-top failed");
        sets.push_back(on);
    }
};

struct FakeScreen : IScreen {
    float twips = 19200; // the one screen's width, when no arrangement is given
    float tpp = 15;
    std::vector<ScreenArea> rects; // the desktop's screens, the primary first
    std::vector<ScreenArea> screens() override
    {
        if (!rects.empty())
            return rects;
        return {{QRect(0, 0, static_cast<int>(twips / tpp), 1080)}};
    }
    float twipsPerPixelX() override { return tpp; }
    float twipsPerPixelY() override { return tpp; }
};

struct FakeInstance : IInstanceGuard {
    bool previous = false;
    QStringList activated;
    std::function<void()> listener;
    bool prevInstance() override { return previous; }
    std::int32_t findWindow(const QString &, const QString &) override { return 0; }
    void activate(const QString &title) override { activated << title; }
    void listen(std::function<void()> fn) override { listener = std::move(fn); }
};

struct FakeProcess : IProcess {
    [[noreturn]] void end() override { throw ProcessEnded{}; }
};

// A window bound to fresh fakes, with the settings store bound to the fake registry.
struct FakeDesktop {
    FakeRegistry registry;
    FakeBrowser browser;
    FakeTransfer transfer;
    FakeMessageBox messageBox;
    FakeShell shell;
    FakeCursor cursor;
    FakeEventPump events;
    FakeStayOnTop stayOnTop;
    FakeScreen screen;
    FakeInstance instance;
    FakeProcess process;
    Platform platform{registry, browser,   transfer, messageBox, shell,  cursor,
                      events,   stayOnTop, screen,   instance,   process};

    FakeDesktop() { modRegistry::setComponent(&registry); }
    ~FakeDesktop() { modRegistry::setComponent(nullptr); }

    std::unique_ptr<frmMain> start()
    {
        auto w = std::make_unique<frmMain>(platform);
        w->Form_Load();
        // A person comes to the tab: the pointer enters it, which makes the text box.
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(w.get(), &enter);
        if (!w->Text1)
            throw std::runtime_error("the text box was not made when the pointer came");
        return w;
    }
};

// Everything outside the program reaches the window through these small interfaces, handed in
// at construction. Production binds the Qt implementations (qtplatform.h); tests bind scripted
// fakes. A failing platform call throws; the calling handler decides whether to go on.
#pragma once

#include "controls/screens.h"
#include <QPoint>

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QWidget;
class HtmlDocument;

// The registry access component: one read and one write method over text. root, key, value
// name and data are passed by reference; data is both input and output.
class IRegistryComponent {
public:
    virtual ~IRegistryComponent() = default;
    // Non-zero and data replaced by the stored text when the value exists; 0 and data untouched
    // when the key or the value does not exist. Throws when the store cannot be read.
    virtual std::int32_t read(std::int32_t &root, QString &key, QString &valueName,
                              QString &data) = 0;
    // Stores data under the value name, creating the key; non-zero on success. Throws when the
    // value did not reach the store.
    virtual std::int32_t write(std::int32_t &root, QString &key, QString &valueName,
                               QString &data) = 0;
};

// The hidden browser.
class IBrowser {
public:
    virtual ~IBrowser() = default;
    // Starts an asynchronous load and returns at once; replaces a load in progress.
    virtual void Navigate(const QString &url) = 0;
    // True from Navigate until the document is ready or the load failed.
    virtual bool Busy() = 0;
    // The loaded document; throws when there is none.
    virtual std::shared_ptr<HtmlDocument> Document() = 0;
};

// The transfer control: a synchronous fetch of a small text resource.
class ITransfer {
public:
    virtual ~ITransfer() = default;
    // The whole body as text; throws on a network failure, an HTTP error status or a time-out.
    virtual QString OpenURL(const QString &url) = 0;
};

// Modal message boxes. Styles and answers use the classic codes: 4 Yes/No, 32 question,
// 48 exclamation, 4096 system-modal; 6 = Yes, 7 = No.
class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    virtual int ask(const QString &text, int style, const QString &title) = 0;
};

// Opens an address with the person's own web browser, without waiting for it.
class IShell {
public:
    virtual ~IShell() = default;
    virtual void open(const QString &url) = 0; // throws when no handler could be started
};

// Pointer position on the screen, in pixels.
class ICursor {
public:
    virtual ~ICursor() = default;
    virtual QPoint pos() = 0;
};

// Lets the platform process the events pending at that moment, then returns.
class IEventPump {
public:
    virtual ~IEventPump() = default;
    virtual void doEvents() = 0;
    // Processes the pending events; when there are none, sleeps until the next one arrives.
    virtual void waitEvents() { doEvents(); }
};

// Keeps one window above all other windows while on.
class IStayOnTop {
public:
    virtual ~IStayOnTop() = default;
    virtual void setStayOnTop(QWidget &window, bool on) = 0;
    // True when the window is known to be still in that state, nothing having been mapped or
    // restacked since it was applied; asking costs no call to the window system.
    virtual bool holds(QWidget &window, bool on)
    {
        (void)window;
        (void)on;
        return false;
    }
};

// The desktop's screens.
class IScreen {
public:
    virtual ~IScreen() = default;
    // Each screen of the desktop, the primary screen first.
    virtual std::vector<ScreenArea> screens() = 0;
    virtual float twipsPerPixelX() = 0;
    virtual float twipsPerPixelY() = 0;
};

// The one-instance rule and the activation of the running instance.
class IInstanceGuard {
public:
    virtual ~IInstanceGuard() = default;
    // True when another instance of the program already runs for this user.
    virtual bool prevInstance() = 0;
    // Handle (> 0) of the running instance's window with that class and title, else 0.
    virtual std::int32_t findWindow(const QString &className, const QString &title) = 0;
    // Brings the running instance's window with that title forward; throws when there is none.
    virtual void activate(const QString &title) = 0;
    // Called by the running instance: fn runs whenever another start asks for activation.
    virtual void listen(std::function<void()> fn) = 0;
};

// Ending the process.
class IProcess {
public:
    virtual ~IProcess() = default;
    [[noreturn]] virtual void end() = 0; // ends at once; never returns
};

// All outside things the window uses, bound once at construction.
struct Platform {
    IRegistryComponent &registry;
    IBrowser &browser;
    ITransfer &transfer;
    IMessageBox &messageBox;
    IShell &shell;
    ICursor &cursor;
    IEventPump &events;
    IStayOnTop &stayOnTop;
    IScreen &screen;
    IInstanceGuard &instance;
    IProcess &process;
};

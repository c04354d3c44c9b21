// The hidden browser and the transfer control as the program holds them: the web part they
// stand for (Qt Network, the page parser) is loaded the first time either has to reach the
// network. A load asked for while requests are held waits, ready, until they are released:
// start-up asks for the search page before the window's first picture is on the screen, and
// the web part can load once it is.
#pragma once

#include "controls/platform.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

class LazyBrowser : public IBrowser {
public:
    using Make = std::function<std::unique_ptr<IBrowser>()>; // nullptr: no browser to be had
    explicit LazyBrowser(Make make);
    ~LazyBrowser() override;

    // An unloadable address throws at once, as the browser's own Navigate does.
    void Navigate(const QString &url) override;
    bool Busy() override;
    std::shared_ptr<HtmlDocument> Document() override;

    void holdRequests() { m_held = true; }
    // Makes the browser and sends the waiting load, if any; a failure to send it is reported
    // on standard error and the browser is left without a document.
    void releaseRequests();

private:
    IBrowser *browser(); // made on first need; nullptr when it cannot be

    Make m_make;
    std::unique_ptr<IBrowser> m_browser;
    bool m_tried = false;
    bool m_held = false;
    std::optional<QString> m_waiting;
};

class LazyTransfer : public ITransfer {
public:
    using Make = std::function<std::unique_ptr<ITransfer>()>;
    explicit LazyTransfer(Make make);
    ~LazyTransfer() override;

    QString OpenURL(const QString &url) override; // throws, too, when there is no web part

private:
    Make m_make;
    std::unique_ptr<ITransfer> m_transfer;
};

// The program's web part, loaded from the module installed beside it; each maker returns nullptr
// (and says why on standard error, once) when the module cannot be loaded.
namespace webmodule {
std::unique_ptr<IBrowser> makeBrowser(IShell &shell);
std::unique_ptr<ITransfer> makeTransfer();
} // namespace webmodule

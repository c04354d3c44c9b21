// Starts the application: reads the command line, binds the platform's outside controls,
// creates the window and raises its load event, then runs the event loop.
#include "app/commandline.h"
#include "app/frmMain.h"
#include "controls/browser/lazyweb.h"
#include "controls/browser/submitpages.h"
#include "controls/qtdialogs.h"
#include "controls/qtinstance.h"
#include "controls/qtregistry.h"
#include "controls/qtwindowsystem.h"
#include "controls/startplatform.h"
#include "settings/modRegistry.h"

#include <QApplication>
#include <malloc.h>
#include <optional>

int main(int argc, char **argv)
{
    // One heap for every thread: the network thread's few buffers then reuse memory the window
    // freed instead of keeping a heap of their own resident all day.
    mallopt(M_ARENA_MAX, 1);
    if (const std::optional<int> exitCode = handleCommandLine(argc, argv))
        return *exitCode;
    choosePlatform();
    if (!displayNamed()) {
        sayNoDisplay();
        return 1;
    }
    auto refusal = std::make_optional<DisplayRefusal>();
    QApplication app(argc, argv);
    refusal.reset();
    QApplication::setApplicationName(QStringLiteral("HarrowKIT"));
    QApplication::setOrganizationName(QStringLiteral("HarrowKIT"));
    QApplication::setQuitOnLastWindowClosed(false);

    QtRegistryComponent registry;
    modRegistry::setComponent(&registry);
    QtShell shell;
    LazyBrowser browser([&shell] { return webmodule::makeBrowser(shell); });
    LazyTransfer transfer(webmodule::makeTransfer);
    QtMessageBox messageBox;
    QtCursor cursor;
    QtEventPump events;
    QtStayOnTop stayOnTop;
    QtScreen screen;
    QtInstanceGuard instance(QStringLiteral("HarrowKIT"));
    QtProcess process([&instance] {
        instance.release();
        SubmitPages::removeAll(); // pages holding the person's queries go with the process
    });
    Platform platform{registry, browser,   transfer, messageBox, shell,  cursor,
                      events,   stayOnTop, screen,   instance,   process};

    frmMain window(platform);
    // Start-up's request for the search page goes out once the docked strip is on screen, and
    // the web part loads then.
    browser.holdRequests();
    window.afterFirstPaint([&browser] { browser.releaseRequests(); });
    window.Form_Load();
    return app.exec();
}

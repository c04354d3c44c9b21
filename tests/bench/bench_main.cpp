// Benchmarks that print figures: the shape scan of a skin, a whole skin change on the real
// window (offscreen), a settings write that reaches the disk, and the search's hand-off beside
// the bare fetch and parse of the same page from a loopback server. Not assertions: numbers.
#include "../unit/test_browser_server.h"
#include "../widget/fakes.h"
#include "app/frmMain.h"
#include "controls/browser/document.h"
#include "controls/browser/qtbrowser.h"
#include "controls/qtregistry.h"
#include "controls/qtwindowsystem.h"
#include "settings/modRegistry.h"
#include "skin/SkinForm.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

static void BM_opaqueRunsOfASkin(benchmark::State &state)
{
    Q_INIT_RESOURCE(assets);
    const PixelGrid grid = PixelGrid::fromImage(QImage(QStringLiteral(":/skin01.bmp")));
    for (auto _ : state)
        benchmark::DoNotOptimize(opaqueRuns(grid, 413, 80, grid.at(0, 0)));
}
BENCHMARK(BM_opaqueRunsOfASkin);

static void BM_skinChangeOnTheWindow(benchmark::State &state)
{
    FakeDesktop d;
    auto w = d.start();
    for (auto _ : state)
        w->imgOptions_Click();
}
BENCHMARK(BM_skinChangeOnTheWindow)->Unit(benchmark::kMicrosecond);

static void BM_settingsWriteToDisk(benchmark::State &state)
{
    QTemporaryDir dir;
    QtRegistryComponent store(dir.path() + QStringLiteral("/HarrowKIT.conf"));
    modRegistry::setComponent(&store);
    std::int32_t root = HKEY_CURRENT_USER;
    QString key = QStringLiteral("Software\\HarrowKIT"), name = QStringLiteral("poy");
    Int16 v = 0;
    for (auto _ : state) {
        v = add16(v, 1);
        regWrite(root, key, name, v);
    }
    modRegistry::setComponent(nullptr);
}
BENCHMARK(BM_settingsWriteToDisk)->Unit(benchmark::kMicrosecond);

namespace {
// The maker's search page, its form sent to the server's /search.
struct SearchSite {
    TestServer server;
    SearchSite()
    {
        QFile page(QStringLiteral(HARROWKIT_SITE "/search.htm"));
        page.open(QIODevice::ReadOnly);
        QByteArray html = page.readAll();
        html.replace("https://www.google.com/search",
                     server.url(QStringLiteral("/search")).toUtf8());
        server.route("/search.htm", htmlPage(html));
        server.route("/download/HarrowKIT/version", htmlPage("1.0", "text/plain"));
        qputenv("HARROWKIT_SERVER", server.url(QString()).toUtf8());
    }
};

// Loading the page and parsing it into a document, nothing else.
void waitForLoad(QtBrowser &browser)
{
    if (!browser.Busy())
        return;
    QEventLoop loop;
    QObject::connect(&browser, &QtBrowser::loadFinished, &loop, &QEventLoop::quit);
    loop.exec();
}
} // namespace

static void BM_fetchAndParseTheSearchPage(benchmark::State &state)
{
    SearchSite site;
    FakeShell shell;
    QtBrowser browser(shell);
    for (auto _ : state) {
        browser.Navigate(site.server.url(QStringLiteral("/search.htm")));
        waitForLoad(browser);
        benchmark::DoNotOptimize(browser.Document());
    }
}
BENCHMARK(BM_fetchAndParseTheSearchPage)->Unit(benchmark::kMicrosecond);

// Enter to the address handed to the person's browser, through the real hidden browser and
// event pump: timed from the click to the hand-off.
static void BM_searchHandOff(benchmark::State &state)
{
    SearchSite site;
    using Clock = std::chrono::steady_clock;
    struct TimedShell : IShell {
        Clock::time_point at;
        void open(const QString &) override { at = Clock::now(); }
    } shell;
    FakeDesktop d;
    QtBrowser browser(shell);
    QtEventPump events;
    Platform platform{d.registry, browser,     d.transfer, d.messageBox, shell,    d.cursor,
                      events,     d.stayOnTop, d.screen,   d.instance,   d.process};
    frmMain w(platform);
    w.Form_Load();
    waitForLoad(browser);
    w.Text1->setText(QStringLiteral("harrow"));
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        w.picButton_Click();
        state.SetIterationTime(std::chrono::duration<double>(shell.at - start).count());
    }
}
BENCHMARK(BM_searchHandOff)->UseManualTime()->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

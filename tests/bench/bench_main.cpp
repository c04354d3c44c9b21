// Benchmarks that print figures: the shape scan of a skin, a whole skin change on the real
// window (offscreen), and a settings write that reaches the disk. Not assertions: numbers.
#include "../widget/fakes.h"
#include "app/frmMain.h"
#include "controls/qtregistry.h"
#include "settings/modRegistry.h"
#include "skin/SkinForm.h"

#include <QApplication>
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

// One QApplication for the whole test binary; the offscreen platform unless told otherwise.
#include <QApplication>
#include <gtest/gtest.h>

namespace {
// The offscreen platform cannot shape windows and says so at every skin change; the tests
// check the mask the window holds instead.
void quietHandler(QtMsgType type, const QMessageLogContext &, const QString &msg)
{
    if (msg.contains(QLatin1String("does not support setting window masks")))
        return;
    fprintf(stderr, "%s\n", qPrintable(msg));
    if (type == QtFatalMsg)
        abort();
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

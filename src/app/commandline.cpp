#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

namespace {
// Options QGuiApplication and QApplication take themselves; hidden from the help.
QList<QCommandLineOption> qtOptions()
{
    QList<QCommandLineOption> options;
    for (const char *name : {"platform", "platformpluginpath", "platformtheme", "plugin",
                             "qwindowgeometry", "qwindowicon", "qwindowtitle", "session", "display",
                             "geometry", "style", "stylesheet", "qmljsdebugger"})
        options << QCommandLineOption(QLatin1String(name), QString(), QStringLiteral("value"));
    for (const char *name : {"reverse", "widgetcount", "nograb", "dograb"})
        options << QCommandLineOption(QLatin1String(name));
    for (QCommandLineOption &option : options)
        option.setFlags(QCommandLineOption::HiddenFromHelp);
    return options;
}
} // namespace

std::optional<int> handleCommandLine(int &argc, char **argv)
{
    if (argc <= 1)
        return std::nullopt; // the usual start: nothing to read
    QCoreApplication::setApplicationName(QStringLiteral("HarrowKIT"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HARROWKIT_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A tab on the right edge of the screen that searches the web: move the "
                       "mouse onto it, type a query and press Enter."));
    // Qt's options are written with one dash ("-display :0").
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions(qtOptions());

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const bool parsed = parser.parse(arguments);
    if (parsed && !parser.isSet(QStringLiteral("help")) &&
        !parser.isSet(QStringLiteral("help-all")) && !parser.isSet(QStringLiteral("version")))
        return std::nullopt;

    // A core application (no display) names the program in the usage line.
    QCoreApplication core(argc, argv);
    if (!parsed) {
        std::fprintf(stderr, "%s\n\n%s", qPrintable(parser.errorText()),
                     qPrintable(parser.helpText()));
        return 2;
    }
    parser.process(core); // prints the help or the version and ends the program with 0
    return 0;
}

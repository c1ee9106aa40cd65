#include "app/command_line.h"

#include <QCommandLineParser>

#include <cstdio>

namespace app {
namespace {

constexpr int kExitUsage = 2;

const QCommandLineOption& helpOption() {
    static const QCommandLineOption option({QStringLiteral("h"), QStringLiteral("help")},
                                           QStringLiteral("Show this help and exit."));
    return option;
}

const QCommandLineOption& versionOption() {
    static const QCommandLineOption option({QStringLiteral("v"), QStringLiteral("version")},
                                           QStringLiteral("Show the version and exit."));
    return option;
}

// Single-dash words are read whole, as Qt reads its own options: "-reverse"
// is one (Qt's) option, never -r -e -v ...
void describe(QCommandLineParser& parser) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "Teaches the QZT-617 universal remote control the infrared codes of other remotes,\n"
        "over USB. Qt's own options are accepted as well, for example -platform NAME,\n"
        "-display DISPLAY or -style NAME."));
    parser.addOption(helpOption());
    parser.addOption(versionOption());
}

// The options QApplication takes for itself (Qt's GUI, widget and X11
// options), known here only so that neither look takes them for unknown ones:
// not the first, before QApplication exists, nor the second, after it, where
// the options of another platform's plugin are still there (-display when the
// platform is not X11).
void addQtOptions(QCommandLineParser& parser) {
    for (const char* name :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
          "geometry", "qwindowtitle", "title", "qwindowicon", "icon", "session", "style",
          "stylesheet", "display", "name", "visual", "qmljsdebugger"}) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name :
         {"reverse", "testability", "nograb", "dograb", "widgetcount", "sync", "cmap"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

// Refuses a command line the parser did not take: the problem and the usage
// on standard error, status 2.
int refuse(const QCommandLineParser& parser, const QString& problem);

// The usage names the program "qzt617" whatever path started it (the parser
// would name the path, or nothing before QApplication exists).
QString usageText(const QCommandLineParser& parser) {
    const QString text = parser.helpText();
    return QStringLiteral("Usage: qzt617 [options]\n") + text.section(QLatin1Char('\n'), 1);
}

int refuse(const QCommandLineParser& parser, const QString& problem) {
    std::fprintf(stderr, "qzt617: %s\n", qPrintable(problem));
    std::fputs(qPrintable(usageText(parser)), stderr);
    return kExitUsage;
}

} // namespace

std::optional<int> answerInformationOptions(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    describe(parser);
    addQtOptions(parser);
    // Unknown options are refused here already, so that this needs no display.
    if (!parser.parse(arguments))
        return refuse(parser, parser.errorText());
    if (parser.isSet(helpOption())) {
        std::fputs(qPrintable(usageText(parser)), stdout);
        return 0;
    }
    if (parser.isSet(versionOption())) {
        std::printf("qzt617 %s\n", QZT617_VERSION);
        return 0;
    }
    return std::nullopt;
}

std::optional<int> refuseLeftoverArguments(const QStringList& arguments) {
    QCommandLineParser parser;
    describe(parser);
    addQtOptions(parser);
    if (!parser.parse(arguments))
        return refuse(parser, parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return refuse(parser, QStringLiteral("Unexpected argument '%1'.")
                                  .arg(parser.positionalArguments().constFirst()));
    return std::nullopt;
}

} // namespace app

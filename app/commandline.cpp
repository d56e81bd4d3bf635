#include "commandline.h"

#include "resources/version.h"

#include <QCommandLineParser>
#include <QStringList>

#include <cstdio>

namespace {

// Options QApplication takes itself (-platform offscreen, -style fusion, ...): accepted here, left to it.
constexpr const char* kQtValueOptions[] = {"platform",        "platformpluginpath", "platformtheme", "plugin",
                                           "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
                                           "display",         "geometry",           "style",         "stylesheet"};
constexpr const char* kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb"};

} // namespace

bool AnswerCommandLine(int argc, char** argv, int& status, QString& file) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The telephone directory of Vetlograd."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A directory file to show (as 'vetlograd09-cli pack' writes it) "
                                                "instead of the last one opened."),
                                 QStringLiteral("[FILE]"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    for (const char* name : kQtValueOptions) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : kQtFlags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    QString error;
    if (!parser.parse(arguments))
        error = parser.errorText();
    else if (parser.positionalArguments().size() > 1)
        error = QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().at(1));
    if (!error.isEmpty()) {
        std::fprintf(stderr, "vetlograd09: %s\nTry 'vetlograd09 --help'.\n", qPrintable(error));
        status = 2;
        return false;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        // Without an application object Qt cannot name the program in the usage line; it is argv[0].
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), arguments.constFirst());
        std::fputs(qPrintable(text), stdout);
        status = 0;
        return false;
    }
    if (parser.isSet(version)) {
        std::printf("vetlograd09 %s\n", vg::kVersion);
        status = 0;
        return false;
    }
    file = parser.positionalArguments().value(0);
    return true;
}

#include "CommandLine.h"

#include <QCommandLineParser>

namespace orvane::commandline {

namespace {

struct Documented {
    QStringList names;
    const char *help;
};

const Documented documented[] = {
    {{QStringLiteral("background")},
     "Start in the tray only, without opening the preferences (also -background)."},
    {{QStringLiteral("simulate-capture")},
     "Show the card for a sample picture once started, as the preferences' preview does."},
    {{QStringLiteral("h"), QStringLiteral("help")}, "Show this help and exit."},
    {{QStringLiteral("v"), QStringLiteral("version")}, "Show the version and exit."},
};

QString helpText()
{
    QString text = QStringLiteral(
        "Usage: orvane [options]\n"
        "Quick actions for every new screenshot: a card beside your work after each one.\n"
        "Started while it runs, Orvane opens the running copy's preferences.\n\nOptions:\n");
    for (const Documented &option : documented) {
        QStringList spelled;
        for (const QString &name : option.names) {
            spelled << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        }
        text += QStringLiteral("  %1\n      %2\n")
                    .arg(spelled.join(QStringLiteral(", ")), QString::fromUtf8(option.help));
    }
    return text;
}

} // namespace

Answer answer(const QStringList &arguments, const QString &version)
{
    QCommandLineParser parser;
    // "-background" is one word, as the login entry writes it.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const Documented &option : documented) {
        parser.addOption(QCommandLineOption(option.names));
    }
    // Taken by Qt itself, and passed by the system or a developer's tools.
    for (const char *name :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
          "qwindowicon", "qwindowtitle", "style", "stylesheet", "session", "display", "geometry",
          "name", "title", "qmljsdebugger", "NSDocumentRevisionsDebugMode"}) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    QStringList checked;
    for (const QString &argument : arguments) {
        // A process serial number, added by older macOS to apps opened from Finder.
        if (!argument.startsWith(QStringLiteral("-psn_"))) {
            checked << argument;
        }
    }
    if (!parser.parse(checked)) {
        return {true, 2,
                QStringLiteral("orvane: ") + parser.errorText() +
                    QStringLiteral(" (orvane --help lists the options)\n"),
                true};
    }
    if (parser.isSet(QStringLiteral("help"))) {
        return {true, 0, helpText(), false};
    }
    if (parser.isSet(QStringLiteral("version"))) {
        return {true, 0, QStringLiteral("Orvane ") + version + u'\n', false};
    }
    return {};
}

} // namespace orvane::commandline

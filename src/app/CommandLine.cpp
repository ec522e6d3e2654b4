#include "CommandLine.h"

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
    // Orvane's own words, "-background" (one dash) as the login entry writes it.
    const QStringList help{QStringLiteral("--help"), QStringLiteral("-help"), QStringLiteral("-h")};
    const QStringList versions{QStringLiteral("--version"), QStringLiteral("-version"),
                               QStringLiteral("-v")};
    const QStringList flags{QStringLiteral("--background"), QStringLiteral("-background"),
                            QStringLiteral("--simulate-capture"),
                            QStringLiteral("-simulate-capture")};
    // Taken by Qt itself, each with the value that follows it, or alone.
    const QStringList qtWithValue =
        QStringLiteral("platform platformpluginpath platformtheme plugin qwindowgeometry "
                       "qwindowicon qwindowtitle style stylesheet session display geometry name "
                       "title qmljsdebugger")
            .split(u' ');
    const QStringList qtAlone =
        QStringLiteral("reverse widgetcount nograb dograb sync").split(u' ');

    QStringList unknown;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (help.contains(argument)) {
            return {true, 0, helpText(), false};
        }
        if (versions.contains(argument)) {
            return {true, 0, QStringLiteral("Orvane ") + version + u'\n', false};
        }
        if (flags.contains(argument)) {
            continue;
        }
        QString name = argument;
        while (name.startsWith(u'-')) {
            name.remove(0, 1);
        }
        if (argument.startsWith(u'-') && qtWithValue.contains(name)) {
            ++i;
            continue;
        }
        if (argument.startsWith(u'-') && qtAlone.contains(name)) {
            continue;
        }
        // The system's own, with their values: a process serial number from older macOS, the
        // user defaults that Xcode and `open --args` pass (-AppleLanguages "(de)",
        // -NSDocumentRevisionsDebugMode YES).
        if (argument.startsWith(QStringLiteral("-psn_"))) {
            continue;
        }
        if (argument.startsWith(QStringLiteral("-Apple")) ||
            argument.startsWith(QStringLiteral("-NS"))) {
            ++i;
            continue;
        }
        unknown << argument;
    }
    if (unknown.isEmpty()) {
        return {};
    }
    // Ignored, so that a start with an argument meant for someone else still starts; said once.
    return {false, 0,
            QStringLiteral("orvane: ignoring %1 (orvane --help lists the options)\n")
                .arg(unknown.join(u' ')),
            true};
}

} // namespace orvane::commandline

#include "LoginAgentText.h"

#include <QStringList>

namespace orvane::loginagent {

QString executablePath(const QString &bundlePath, const QString &argv0)
{
    if (bundlePath.endsWith(QStringLiteral(".app"), Qt::CaseSensitive)) {
        return bundlePath + QStringLiteral("/Contents/MacOS/Orvane");
    }
    return argv0;
}

QString plistText(const QString &executable)
{
    static const QString head =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                       "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                       "<plist version=\"1.0\">\n"
                       "<dict>\n"
                       "    <key>Label</key>\n"
                       "    <string>com.tarnwell.orvane</string>\n"
                       "    <key>ProgramArguments</key>\n"
                       "    <array>\n"
                       "        <string>");
    static const QString tail = QStringLiteral("</string>\n"
                                               "        <string>--background</string>\n"
                                               "    </array>\n"
                                               "    <key>RunAtLoad</key>\n"
                                               "    <true/>\n"
                                               "    <key>ProcessType</key>\n"
                                               "    <string>Interactive</string>\n"
                                               "</dict>\n"
                                               "</plist>");
    return head + executable.toHtmlEscaped() + tail;
}

QString desktopExecArgument(const QString &argument)
{
    // Quoting rules of the Exec key: reserved characters need the argument quoted; inside the
    // quotes ", `, $ and \ are escaped with a backslash.
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = argument.isEmpty();
    for (const QChar c : argument) {
        needsQuotes = needsQuotes || reserved.contains(c);
    }
    QString arg;
    for (const QChar c : argument) {
        if (needsQuotes && (c == u'"' || c == u'`' || c == u'$' || c == u'\\')) {
            arg += u'\\';
        }
        arg += c;
        if (c == u'%') {
            arg += u'%'; // a literal percent sign is doubled: field codes start with one
        }
    }
    return needsQuotes ? u'"' + arg + u'"' : arg;
}

namespace {

// Escapes of the desktop entry's string values, applied after the Exec quoting.
QString escapeValue(const QString &value)
{
    QString out;
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'\\':
            out += QStringLiteral("\\\\");
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        case u'\t':
            out += QStringLiteral("\\t");
            break;
        case u'\r':
            out += QStringLiteral("\\r");
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

QString desktopEntryText(const QString &executable)
{
    const QString exec = desktopExecArgument(executable) + QStringLiteral(" --background");
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Orvane\n"
                          "Comment=Quick actions for every new screenshot\n"
                          "Exec=") +
           escapeValue(exec) +
           // Once the program is gone (a package removed, an AppImage deleted), the session
           // skips the entry instead of failing to start it at every login.
           QStringLiteral("\nTryExec=") + escapeValue(executable) +
           QStringLiteral("\n"
                          "Icon=camera-photo\n"
                          "Terminal=false\n"
                          "NoDisplay=true\n"
                          "X-GNOME-Autostart-enabled=true\n");
}

bool desktopEntryEnabled(const QString &entryText)
{
    bool inMainGroup = false;
    for (QString line : entryText.split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u'[')) {
            inMainGroup = (line == QStringLiteral("[Desktop Entry]"));
            continue;
        }
        if (!inMainGroup) {
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0) {
            continue;
        }
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QStringLiteral("Hidden") && value == QStringLiteral("true")) {
            return false;
        }
        if (key == QStringLiteral("X-GNOME-Autostart-enabled") &&
            value == QStringLiteral("false")) {
            return false;
        }
    }
    return true;
}

} // namespace orvane::loginagent

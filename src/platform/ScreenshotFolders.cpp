#include "ScreenshotFolders.h"

#include <QDir>
#include <QUrl>

#include <utility>

namespace orvane::screenshotfolders {

namespace {

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// The escapes of the three INI dialects, which agree on the ones a path can need. QSettings
// puts a value holding special characters between double quotes.
QString unescapeIniValue(QString raw)
{
    if (raw.size() >= 2 && raw.startsWith(u'"') && raw.endsWith(u'"')) {
        raw = raw.mid(1, raw.size() - 2);
    }
    QString out;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c != u'\\' || i + 1 == raw.size()) {
            out += c;
            continue;
        }
        const QChar next = raw.at(++i);
        switch (next.unicode()) {
        case u's':
            out += u' ';
            break;
        case u't':
            out += u'\t';
            break;
        case u'n':
            out += u'\n';
            break;
        case u'r':
            out += u'\r';
            break;
        case u'x': {
            // QSettings writes what its codec cannot hold as up to four hex digits.
            qsizetype end = i + 1;
            while (end < raw.size() && end - i <= 4 && isHexDigit(raw.at(end))) {
                ++end;
            }
            bool ok = false;
            const uint code = raw.mid(i + 1, end - i - 1).toUInt(&ok, 16);
            if (ok) {
                out += QChar(char16_t(code));
                i = end - 1;
            } else {
                out += next;
            }
            break;
        }
        default:
            out += next; // \\, \", \; and \, stand for themselves
        }
    }
    return out;
}

std::optional<QString> folderIn(const QString &text, const std::optional<QString> &group,
                                const QString &key, const QString &home)
{
    const std::optional<QString> value = iniValue(text, group, key, home);
    return value ? folderFromSetting(*value, home) : std::nullopt;
}

std::optional<QString> spectacleFolder(const QString &text, const QString &home)
{
    // Plasma 6, then Plasma 5, then the releases before it.
    static const std::pair<const char *, const char *> places[] = {
        {"ImageSave", "imageSaveLocation"},
        {"General", "imageSaveLocation"},
        {"Save", "defaultSaveLocation"},
    };
    for (const auto &[group, key] : places) {
        if (const auto value =
                iniValue(text, QString::fromLatin1(group), QString::fromLatin1(key), home)) {
            return folderFromSetting(*value, home);
        }
    }
    return std::nullopt;
}

bool isFolderName(const QString &name)
{
    return !name.isEmpty() && !name.contains(u'/') && name != QStringLiteral(".") &&
           name != QStringLiteral("..");
}

} // namespace

std::optional<QString> Folders::chosen() const
{
    for (const QString &folder : configured) {
        if (!defaults.contains(folder)) {
            return folder;
        }
    }
    return std::nullopt;
}

QStringList Folders::all() const
{
    QStringList folders = configured + defaults;
    folders.removeDuplicates();
    return folders;
}

std::optional<QString> folderFromSetting(const QString &value, const QString &home)
{
    const QString text = value.trimmed();
    QString path = text;
    if (text.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive)) {
        const QUrl url(text);
        const bool here = url.host().isEmpty() || url.host() == QStringLiteral("localhost");
        if (!url.isValid() || !url.isLocalFile() || !here) {
            return std::nullopt;
        }
        path = url.toLocalFile();
    } else if (text == QStringLiteral("~") || text.startsWith(QStringLiteral("~/"))) {
        path = home + text.mid(1);
    }
    // Relative paths have no fixed place, and other URLs (smb://, sftp://) no local folder.
    if (!path.startsWith(u'/')) {
        return std::nullopt;
    }
    return QDir::cleanPath(path);
}

std::optional<QString> userDir(const QString &userDirsText, const QString &name,
                               const QString &home)
{
    const QString prefix = QStringLiteral("XDG_") + name + QStringLiteral("_DIR");
    std::optional<QString> found;
    for (const QString &rawLine : userDirsText.split(u'\n')) {
        QString line = rawLine.trimmed();
        if (!line.startsWith(prefix)) {
            continue;
        }
        line = line.mid(prefix.size()).trimmed();
        if (!line.startsWith(u'=')) {
            continue;
        }
        line = line.mid(1).trimmed();
        if (!line.startsWith(u'"')) {
            continue;
        }
        line = line.mid(1);
        // Only "$HOME/…" and absolute paths count; "$HOME" alone is the home folder.
        bool relative = false;
        if (line.startsWith(QStringLiteral("$HOME"))) {
            line = line.mid(5);
            if (line.startsWith(u'/')) {
                line = line.mid(1);
            } else if (!line.startsWith(u'"')) {
                continue;
            }
            relative = true;
        } else if (!line.startsWith(u'/')) {
            continue;
        }
        QString value;
        for (qsizetype i = 0; i < line.size() && line.at(i) != u'"'; ++i) {
            if (line.at(i) == u'\\' && i + 1 < line.size()) {
                ++i;
            }
            value += line.at(i);
        }
        // The last line for a name wins, as it does for GLib.
        found = QDir::cleanPath(relative ? home + u'/' + value : value);
    }
    return found;
}

std::optional<QString> iniValue(const QString &text, const std::optional<QString> &group,
                                const QString &key, const QString &home)
{
    QString current; // the lines before any group header
    for (const QString &rawLine : text.split(u'\n')) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';')) {
            continue;
        }
        if (line.startsWith(u'[')) {
            current = line.mid(1, line.lastIndexOf(u']') - 1);
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if ((group && current != *group) || eq < 0) {
            continue;
        }
        QString name = line.left(eq).trimmed();
        QString flags;
        // KConfig marks a value to expand with "[$e]"; "key[de]" is another language's value.
        if (const qsizetype open = name.indexOf(QStringLiteral("[$")); open > 0) {
            flags = name.mid(open);
            name = name.left(open).trimmed();
        }
        if (name != key) {
            continue;
        }
        QString value = unescapeIniValue(line.mid(eq + 1).trimmed());
        if (flags.contains(u'e')) {
            value.replace(QStringLiteral("${HOME}"), home).replace(QStringLiteral("$HOME"), home);
        }
        return value;
    }
    return std::nullopt;
}

Folders resolve(const ToolSettings &settings)
{
    const QString &home = settings.home;
    Folders folders;
    const std::optional<QString> configured[] = {
        userDir(settings.userDirs, QStringLiteral("SCREENSHOTS"), home),
        folderFromSetting(settings.gnomeScreenshot, home),
        spectacleFolder(settings.spectacle, home),
        folderIn(settings.xfceScreenshooter, std::nullopt, QStringLiteral("screenshot_dir"), home),
        folderIn(settings.flameshot, QStringLiteral("General"), QStringLiteral("savePath"), home),
    };
    for (const std::optional<QString> &folder : configured) {
        if (folder && !folders.configured.contains(*folder)) {
            folders.configured << *folder;
        }
    }

    const QString pictures =
        QDir::cleanPath(settings.pictures.isEmpty() ? home : settings.pictures);
    const QString name = isFolderName(settings.screenshotsName) ? settings.screenshotsName
                                                                : QStringLiteral("Screenshots");
    folders.defaults = {pictures + u'/' + name, pictures + QStringLiteral("/Screenshots"),
                        pictures};
    folders.defaults.removeDuplicates();
    return folders;
}

} // namespace orvane::screenshotfolders

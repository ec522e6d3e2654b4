#include "DetectionRules.h"

#include <QFileInfo>

namespace orvane::detection {

bool hasImageExtension(const QString &path)
{
    static const QStringList extensions = {QStringLiteral("png"), QStringLiteral("jpg"),
                                           QStringLiteral("jpeg"), QStringLiteral("heic"),
                                           QStringLiteral("tiff")};
    return extensions.contains(QFileInfo(path).suffix().toLower());
}

bool isExcludedName(const QString &fileName)
{
    return fileName.startsWith(u'.') || fileName.startsWith(u'~');
}

QStringList watchedSet(const QString &resolvedFolder, const std::optional<QString> &customFolder,
                       const QString &desktop)
{
    QStringList folders{resolvedFolder};
    if (customFolder && !customFolder->isEmpty() && QFileInfo::exists(*customFolder)) {
        folders << *customFolder;
    }
    if (!desktop.isEmpty()) {
        folders << desktop;
    }
    folders.removeDuplicates();
    return folders;
}

QString printedSet(const QStringList &paths)
{
    QStringList quoted;
    for (QString path : paths) {
        path.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
        quoted << u'"' + path + u'"';
    }
    return u'[' + quoted.join(QStringLiteral(", ")) + u']';
}

} // namespace orvane::detection

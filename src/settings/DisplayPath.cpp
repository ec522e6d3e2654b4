#include "DisplayPath.h"

namespace orvane {

QString displayPath(const QString &folder, const QString &home)
{
    QString base = home;
    while (base.size() > 1 && base.endsWith(u'/')) {
        base.chop(1);
    }
    // Only a whole leading home folder is shortened: "/home/ann" is not the start of
    // "/home/anna", a later "/home/ann" inside the path stays, and a home of "/" would turn
    // every path into tildes.
    if (base.isEmpty() || base == QStringLiteral("/")) {
        return folder;
    }
    if (folder == base) {
        return QStringLiteral("~");
    }
    if (folder.startsWith(base + u'/')) {
        return u'~' + folder.mid(base.size());
    }
    return folder;
}

} // namespace orvane

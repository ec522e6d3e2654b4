#include "Log.h"

#include <QtGlobal>

namespace orvane {

QString escapedForLog(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // C0 and C1 controls, DEL, and the Unicode line and paragraph separators: a name must
        // never break a line in two or move the cursor of whoever reads the log.
        if (u >= 0x20 && u != 0x7f && !(u >= 0x80 && u < 0xa0) && u != 0x2028 && u != 0x2029) {
            escaped += c;
        } else if (u == u'\n') {
            escaped += QStringLiteral("\\n");
        } else if (u == u'\r') {
            escaped += QStringLiteral("\\r");
        } else if (u == u'\t') {
            escaped += QStringLiteral("\\t");
        } else {
            escaped += (u < 0x100 ? QStringLiteral("\\x%1").arg(u, 2, 16, QChar(u'0'))
                                  : QStringLiteral("\\u%1").arg(u, 4, 16, QChar(u'0')));
        }
    }
    return escaped;
}

void logLine(const QString &text)
{
    // printf-style: the line goes to Qt's message handler as it is, without a QDebug stream.
    qInfo("[Orvane] %s", qUtf8Printable(escapedForLog(text)));
}

} // namespace orvane

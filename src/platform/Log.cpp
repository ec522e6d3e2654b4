#include "Log.h"

#include <QDebug>

namespace orvane {

void logLine(const QString &text)
{
    qInfo().noquote() << (QStringLiteral("[Orvane] ") + text);
}

} // namespace orvane

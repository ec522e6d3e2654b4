#include "LostDisplay.h"

#include "platform/Log.h"

#include <QString>

#include <cstdio>
#include <cstdlib>

namespace orvane {

namespace {

QtMessageHandler passOn = nullptr;

void handleMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    // Qt's xcb platform: "The X11 connection broke (error N). Did the X11 server die?"
    if (type == QtWarningMsg && message.startsWith(QLatin1StringView("The X11 connection broke"))) {
        logLine(QStringLiteral("The connection to the display was lost; Orvane quits."));
        std::fflush(stderr);
        std::_Exit(1);
    }
    passOn(type, context, message);
}

} // namespace

void endPlainlyWhenTheDisplayIsLost()
{
    if (!passOn) {
        passOn = qInstallMessageHandler(handleMessage);
    }
}

} // namespace orvane

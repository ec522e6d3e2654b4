#pragma once

#include <QStringList>

namespace orvane::test {

// Collects the program's log lines ("[Orvane] ...") while it lives, and apart from them every
// other message (Qt's own warnings), which still go on to the previous handler.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList lines() const;
    QStringList otherMessages() const;
};

} // namespace orvane::test

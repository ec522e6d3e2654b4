#pragma once

#include <QStringList>

namespace orvane::test {

// Collects the program's log lines ("[Orvane] ...") while it lives.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList lines() const;
    void clear();
};

} // namespace orvane::test

#pragma once

#include <QString>

#include <optional>

namespace orvane {

// What an operation of the platform seam that can fail reports: done, or failed and why. An
// answer to a question is a std::optional instead (none: the system could not be asked).
class [[nodiscard]] Result {
public:
    static Result done() { return Result(); }
    static Result failed(QString reason)
    {
        Result result;
        result.m_reason = std::move(reason);
        return result;
    }
    // The answer of a system (or a null platform) that cannot do it at all: a failure, never
    // a silent success.
    static Result unsupported() { return failed(QStringLiteral("not supported on this system")); }
    // From an error text, where none means it worked.
    static Result fromError(std::optional<QString> error)
    {
        return error ? failed(std::move(*error)) : done();
    }

    // No conversion to bool: `if (result)` would read as "if it failed" to anyone used to
    // error values.
    bool ok() const { return !m_reason; }
    // Why it failed; empty when it did not.
    QString reason() const { return m_reason.value_or(QString()); }

private:
    Result() = default;
    std::optional<QString> m_reason;
};

} // namespace orvane

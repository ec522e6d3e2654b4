#include "ShellRunner.h"

#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>

namespace orvane {

QString shellProgram()
{
    static const QString zsh = QStringLiteral("/bin/zsh");
    static const QString program = QFileInfo(zsh).isExecutable() ? zsh : QStringLiteral("/bin/sh");
    return program;
}

std::optional<QString> runShellCommand(const QString &commandLine)
{
    QProcess child;
    child.setProgram(shellProgram());
    child.setArguments({QStringLiteral("-c"), commandLine});
    child.setStandardErrorFile(QProcess::nullDevice());
    child.start(QIODevice::ReadOnly);
    if (!child.waitForStarted(-1)) {
        return std::nullopt;
    }
    // QProcess drains the pipe while it waits, so a child printing more than a pipe holds
    // never stalls.
    child.waitForFinished(-1);
    const QByteArray output = child.readAllStandardOutput();

    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decode(output);
    if (decode.hasError()) {
        return std::nullopt;
    }
    return text;
}

QString shellQuoted(const QString &text)
{
    QString quoted;
    quoted.reserve(text.size() + 8);
    quoted += u'"';
    for (const QChar c : text) {
        // Inside double quotes the shell still expands $ and `, and a backslash escapes these,
        // the quote itself and the backslash. A newline stays literal when not escaped.
        if (c == u'"' || c == u'\\' || c == u'$' || c == u'`') {
            quoted += u'\\';
        }
        quoted += c;
    }
    quoted += u'"';
    return quoted;
}

} // namespace orvane

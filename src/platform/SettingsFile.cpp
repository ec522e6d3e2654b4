#include "platform/SettingsFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace orvane::settingsfile {

std::optional<Problem> problem(const QString &path, bool textStore)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        return std::nullopt;
    }
    // A FIFO or a device would never answer, or answer forever.
    if (!info.isFile()) {
        return Problem{QStringLiteral("it is not a regular file")};
    }
    if (info.size() > sizeLimit) {
        return Problem{QStringLiteral("it is larger than 1 MB: %1 bytes").arg(info.size())};
    }
    if (!textStore) {
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return Problem{QStringLiteral("it cannot be read: %1").arg(file.errorString())};
    }
    // Bounded even if the file grew since it was looked at.
    const QByteArray bytes = file.read(sizeLimit + 1);
    if (bytes.size() > sizeLimit) {
        return Problem{QStringLiteral("it is larger than 1 MB")};
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    static_cast<void>(QString(utf8(bytes)));
    if (utf8.hasError()) {
        return Problem{QStringLiteral("it is not UTF-8 text"), true};
    }
    return std::nullopt;
}

std::unique_ptr<QSettings> openIni(const QString &path)
{
    const std::optional<Problem> refused = problem(path, true);
    std::unique_ptr<QSettings> settings;
    if (!refused || refused->mayParse) {
        settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    } else {
        settings = std::make_unique<QSettings>(QString(), QSettings::IniFormat);
        settings->setProperty(refusedFileProperty, path);
    }
    settings->setProperty(checkedProperty, true);
    if (refused) {
        settings->setProperty(refusedReasonProperty, refused->reason);
    }
    return settings;
}

} // namespace orvane::settingsfile

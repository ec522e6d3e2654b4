#include "GettextCatalogue.h"

#include <QtEndian>

namespace orvane::gettext {

QStringList catalogueNames(const QString &language, const QString &lcAll, const QString &lcMessages,
                           const QString &lang)
{
    QString locale = lcAll;
    if (locale.isEmpty()) {
        locale = lcMessages;
    }
    if (locale.isEmpty()) {
        locale = lang;
    }
    // LANGUAGE only counts once the locale itself is a translated one.
    if (locale.isEmpty() || locale == QStringLiteral("C") || locale == QStringLiteral("POSIX") ||
        locale.startsWith(QStringLiteral("C."))) {
        return {};
    }
    const QStringList wanted =
        language.isEmpty() ? QStringList{locale} : language.split(u':', Qt::SkipEmptyParts);
    QStringList names;
    for (const QString &name : wanted) {
        // language[_territory][.codeset][@modifier]; catalogue folders leave out the codeset.
        const qsizetype at = name.indexOf(u'@');
        const QString modifier = at < 0 ? QString() : name.mid(at);
        QString base = at < 0 ? name : name.left(at);
        base = base.left(base.indexOf(u'.') < 0 ? base.size() : base.indexOf(u'.'));
        const QString languageOnly =
            base.left(base.indexOf(u'_') < 0 ? base.size() : base.indexOf(u'_'));
        for (const QString &candidate :
             QStringList{base + modifier, base, languageOnly + modifier, languageOnly}) {
            if (!candidate.isEmpty() && !candidate.startsWith(u'@') && !names.contains(candidate)) {
                names << candidate;
            }
        }
    }
    return names;
}

namespace {

QByteArray firstPart(const QByteArray &strings)
{
    const qsizetype end = strings.indexOf('\0');
    return end < 0 ? strings : strings.left(end);
}

} // namespace

std::optional<QString> translate(const QByteArray &catalogue, const QByteArray &message)
{
    const qint64 size = catalogue.size();
    if (size < 20) {
        return std::nullopt;
    }
    const auto *bytes = reinterpret_cast<const uchar *>(catalogue.constData());
    const bool little = qFromLittleEndian<quint32>(bytes) == 0x950412deU;
    const bool big = qFromBigEndian<quint32>(bytes) == 0x950412deU;
    if (!little && !big) {
        return std::nullopt;
    }
    // Every number is read within bounds, whatever the file claims.
    const auto word = [&](qint64 offset) -> std::optional<qint64> {
        if (offset < 0 || offset + 4 > size) {
            return std::nullopt;
        }
        return little ? qFromLittleEndian<quint32>(bytes + offset)
                      : qFromBigEndian<quint32>(bytes + offset);
    };
    const auto string = [&](qint64 table, qint64 index) -> std::optional<QByteArray> {
        const auto length = word(table + 8 * index);
        const auto offset = word(table + 8 * index + 4);
        if (!length || !offset || *offset + *length > size) {
            return std::nullopt;
        }
        return QByteArray(catalogue.constData() + *offset, *length);
    };
    const auto revision = word(4);
    const auto count = word(8);
    const auto originals = word(12);
    const auto translations = word(16);
    if (!revision || (*revision >> 16) > 1 || !count || !originals || !translations) {
        return std::nullopt;
    }
    for (qint64 i = 0; i < *count; ++i) {
        const auto original = string(*originals, i);
        if (!original) {
            return std::nullopt;
        }
        // A plural message is found by its singular, as gettext finds it.
        if (firstPart(*original) != message) {
            continue;
        }
        // A plural translation holds its forms one after the other; the first is the singular.
        const auto translation = string(*translations, i);
        const QByteArray text = translation ? firstPart(*translation) : QByteArray();
        if (text.isEmpty()) {
            return std::nullopt;
        }
        return QString::fromUtf8(text);
    }
    return std::nullopt;
}

} // namespace orvane::gettext

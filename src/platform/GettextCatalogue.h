#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Reading another program's translations the way gettext finds them, without touching the
// process's own locale: the catalogue names to try, and one message looked up in a .mo file.
namespace orvane::gettext {

// The catalogue folder names to try for the user's language, best first, from the
// environment gettext reads (LANGUAGE, LC_ALL, LC_MESSAGES, LANG): "de_DE.UTF-8" gives
// "de_DE", "de". None when messages are untranslated (the C or POSIX locale, or none set).
QStringList catalogueNames(const QString &language, const QString &lcAll, const QString &lcMessages,
                           const QString &lang);

// The translation of `message` in a compiled catalogue (.mo), or none when it has none or
// the data is not a catalogue.
std::optional<QString> translate(const QByteArray &catalogue, const QByteArray &message);

} // namespace orvane::gettext

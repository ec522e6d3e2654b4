#pragma once

#include <QStringList>

#include <memory>

class QTranslator;

namespace orvane {

// Orvane's own texts and Qt's (standard buttons, file dialogs) in the user's language, for as
// long as this object lives. `languages` are the user's, best first, as
// QLocale::uiLanguages() gives them ("de-DE", "de", "en-US"); the first one Orvane speaks wins,
// English being the one it is written in.
class Translations {
public:
    explicit Translations(const QStringList &languages);
    ~Translations();
    Translations(const Translations &) = delete;
    Translations &operator=(const Translations &) = delete;

    // "de", say; empty when the texts stay English.
    QString language() const { return m_language; }

private:
    QString m_language;
    std::unique_ptr<QTranslator> m_own;
    std::unique_ptr<QTranslator> m_qt;
};

} // namespace orvane

#include "Translations.h"

#include "Log.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>

namespace orvane {

namespace {

// Where the build puts the compiled catalogues (qt_add_translations' resource prefix).
const QString ownCatalogues = QStringLiteral(":/i18n/orvane_");

// The first language of `languages` that Orvane has a catalogue for, or none when English (or
// the untranslated C locale) comes first: "en-GB:de" must not turn an English reader German.
QString chooseLanguage(const QStringList &languages)
{
    for (const QString &language : languages) {
        const QString name = QString(language).replace(u'-', u'_');
        const QString base = name.section(u'_', 0, 0);
        if (name.isEmpty() || name == u"C" || name == u"POSIX" || base == u"en") {
            return {};
        }
        for (const QString &candidate : {name, base}) {
            if (QFile::exists(ownCatalogues + candidate + QStringLiteral(".qm"))) {
                return candidate;
            }
        }
    }
    return {};
}

} // namespace

Translations::Translations(const QStringList &languages) : m_language(chooseLanguage(languages))
{
    if (m_language.isEmpty()) {
        return;
    }
    m_own = std::make_unique<QTranslator>();
    if (m_own->load(ownCatalogues + m_language + QStringLiteral(".qm"))) {
        QCoreApplication::installTranslator(m_own.get());
    }
    // Qt's own words (standard buttons, the file dialog); a system without them keeps those
    // English and loses nothing else.
    m_qt = std::make_unique<QTranslator>();
    const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (m_qt->load(QStringLiteral("qtbase_") + m_language, qtFolder)) {
        QCoreApplication::installTranslator(m_qt.get());
    } else {
        logLine(QStringLiteral("Qt's own translations for \"%1\" are missing in %2")
                    .arg(m_language, qtFolder));
    }
}

Translations::~Translations()
{
    if (m_qt) {
        QCoreApplication::removeTranslator(m_qt.get());
    }
    if (m_own) {
        QCoreApplication::removeTranslator(m_own.get());
    }
}

} // namespace orvane

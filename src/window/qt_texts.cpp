#include "window/qt_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace morvel {

bool QtTexts::use(const QString& locale) {
    if (m_translator) QCoreApplication::removeTranslator(m_translator.get());
    m_translator = std::make_unique<QTranslator>();
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // "qt" gathers the translations of every Qt module; "qtbase" alone where that is missing.
    const QLocale language(locale);
    if (!m_translator->load(language, "qt", "_", folder) &&
        !m_translator->load(language, "qtbase", "_", folder)) {
        m_translator.reset();
        return false;
    }
    QCoreApplication::installTranslator(m_translator.get());
    return true;
}

}  // namespace morvel

#pragma once

#include <QString>
#include <QTranslator>
#include <memory>

namespace morvel {

// Qt's own texts (dialog buttons, the file dialog) in one language, from the Qt translations the
// system has installed; without them Qt keeps its English texts.
class QtTexts {
public:
    // Switches to the language of locale ("fr", "en_GB"); true when its translations were found.
    bool use(const QString& locale);

private:
    std::unique_ptr<QTranslator> m_translator;
};

}  // namespace morvel

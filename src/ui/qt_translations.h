#pragma once

#include <QTranslator>

class QLocale;

// Qt's own texts (dialog buttons, the file, font and colour dialogs, message boxes) in the
// learner's language, from the translations Qt ships, and the few texts of Kelvaro's own that
// appear in them (the Open dialog's file type), from Kelvaro's catalogue. Kelvaro's captions
// stay as they are.
class QtTranslations {
public:
    QtTranslations() = default;
    QtTranslations(const QtTranslations&) = delete;
    QtTranslations& operator=(const QtTranslations&) = delete;
    // The application stops using the translations with this object.
    ~QtTranslations();

    // Installs Qt's translations for the locale into the running application; false when Qt
    // has none for it.
    bool install(const QLocale& locale);

private:
    void remove();

    QTranslator m_translator;
    QTranslator m_own;
    bool m_installed = false;
    bool m_ownInstalled = false;
};

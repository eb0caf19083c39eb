#include "qt_translations.h"

#include "ui_log.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

QtTranslations::~QtTranslations()
{
    if (m_installed)
        QCoreApplication::removeTranslator(&m_translator);
}

bool QtTranslations::install(const QLocale& locale)
{
    if (m_installed)
        QCoreApplication::removeTranslator(&m_translator);
    m_installed = false;

    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // "qt" gathers every Qt module's catalogue; some languages have only the base one.
    const bool loaded = m_translator.load(locale, QStringLiteral("qt"), QStringLiteral("_"), folder)
        || m_translator.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), folder);
    if (!loaded) {
        if (locale.language() != QLocale::English && locale.language() != QLocale::C)
            qCInfo(lcUi) << "Qt's dialogs stay in English: no Qt translation for" << locale.name()
                         << "in" << folder;
        return false;
    }
    m_installed = QCoreApplication::installTranslator(&m_translator);
    return m_installed;
}

#include "qt_translations.h"

#include "ui_log.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

QtTranslations::~QtTranslations()
{
    remove();
}

void QtTranslations::remove()
{
    if (m_installed)
        QCoreApplication::removeTranslator(&m_translator);
    if (m_ownInstalled)
        QCoreApplication::removeTranslator(&m_own);
    m_installed = m_ownInstalled = false;
}

bool QtTranslations::install(const QLocale& locale)
{
    remove();
    // English is the source language: no catalogue, and none is missed.
    if (m_own.load(locale, QStringLiteral("kelvaro"), QStringLiteral("_"),
            QStringLiteral(":/translations")))
        m_ownInstalled = QCoreApplication::installTranslator(&m_own);

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

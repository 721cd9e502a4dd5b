#include "ui/common/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace velk::ui {

bool installQtTranslations(QCoreApplication& app) {
    return installQtTranslations(app, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

bool installQtTranslations(QCoreApplication& app, const QString& folder) {
    // Owned by the application, so it lives as long as the texts are looked up.
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QString::fromLatin1(kUiLanguage)), QStringLiteral("qtbase"),
                          QStringLiteral("_"), folder)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace velk::ui

#pragma once

#include <QString>

class QCoreApplication;

namespace velk::ui {

// Qt's own texts (file dialogs, standard buttons) in the program's language: the translations of
// Qt installed with it (Debian qt6-translations-l10n), looked up at run time where this Qt keeps
// them. A missing file leaves Qt's English texts; the program starts anyway. True when loaded.
bool installQtTranslations(QCoreApplication& app);
// The same from a given folder, for tests.
bool installQtTranslations(QCoreApplication& app, const QString& folder);

// The language of the program's own texts, which Qt's are loaded for.
constexpr const char* kUiLanguage = "zh_CN";

}  // namespace velk::ui

#pragma once

// Qt's own texts (the buttons of message boxes, the file dialogs, the context
// menus of text fields) in the language of the rest of the windows: the
// system locale's when Qt has a translation for it, Russian otherwise (also
// for English, which Qt's texts are written in). The
// translations come from the system's Qt translation files.

#include <QLocale>
#include <QString>

class QCoreApplication;

namespace QtTranslations {

// Loads and installs the translation for `locale` into `app`; returns its
// language ("ru", "de_DE"...), or an empty string when none could be loaded
// (the texts then stay English).
QString install(QCoreApplication &app, const QLocale &locale = QLocale::system());

} // namespace QtTranslations

#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace QtTranslations {

QString install(QCoreApplication &app, const QLocale &locale)
{
    const QString directory = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto *translator = new QTranslator(&app);
    // English has a file that translates nothing (Qt's texts are English):
    // the windows are Russian, so its dialogs are too.
    const auto loads = [&](const QLocale &l) {
        return translator->load(l, u"qtbase"_s, u"_"_s, directory) && !translator->isEmpty();
    };
    if (loads(locale) || loads(QLocale(QLocale::Russian, QLocale::Russia))) {
        app.installTranslator(translator);
        return translator->language();
    }
    delete translator;
    return QString();
}

} // namespace QtTranslations

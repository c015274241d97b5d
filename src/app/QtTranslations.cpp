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
    if (translator->load(locale, u"qtbase"_s, u"_"_s, directory)
        || translator->load(QLocale(QLocale::Russian, QLocale::Russia), u"qtbase"_s, u"_"_s, directory)) {
        app.installTranslator(translator);
        return translator->language();
    }
    delete translator;
    return QString();
}

} // namespace QtTranslations

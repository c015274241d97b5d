#include "ApplicationErrors.h"

#include "Caption.h"
#include "Dialogs.h"
#include "QtTranslations.h"

#include "serial/ConnectError.h"

#include <exception>
#include <new>

using namespace Qt::StringLiterals;

namespace ApplicationErrors {

QString boxText(const QString &message)
{
    if (message.endsWith(u'.'))
        return message;
    return message + u'.';
}

void show(const QString &message, QWidget *parent)
{
    Dialogs::message(parent, QMessageBox::Critical, Caption::applicationTitle(), boxText(message));
}

void showCurrentException(QWidget *parent)
{
    try {
        throw;
    } catch (const EConnectError &error) {
        show(error.message(), parent);
    } catch (const std::bad_alloc &) {
        show(u"Out of memory"_s, parent);
    } catch (const std::exception &error) {
        show(QString::fromLocal8Bit(error.what()), parent);
    } catch (...) {
        show(u"Unknown error"_s, parent);
    }
}

} // namespace ApplicationErrors

OraveltApplication::OraveltApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    QtTranslations::install(*this);
}

bool OraveltApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        // The box runs a nested event loop; an error raised in it is caught
        // by the nested call of notify(), not here.
        ApplicationErrors::showCurrentException(QApplication::activeWindow());
        return false;
    }
}

#include "DialogFolders.h"

#include "Dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace DialogFolders {

namespace {

QSettings settings()
{
    return QSettings(u"oravelt"_s, u"oravelt"_s);
}

QString key(const QString &kind)
{
    return u"folders/"_s + kind;
}

bool isFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace

QString startFolder(const QString &fileInHand, const QString &kind)
{
    if (!fileInHand.isEmpty()) {
        const QString folder = QFileInfo(fileInHand).absolutePath();
        if (isFolder(folder))
            return folder;
    }
    const QString last = settings().value(key(kind)).toString();
    if (isFolder(last))
        return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return isFolder(documents) ? documents : QDir::homePath();
}

QString kindOf(const QFileDialog &dialog)
{
    return dialog.defaultSuffix().isEmpty() ? dialog.objectName() : dialog.defaultSuffix();
}

void remember(const QString &chosenPath, const QString &kind)
{
    if (chosenPath.isEmpty())
        return;
    settings().setValue(key(kind), QFileInfo(chosenPath).absolutePath());
}

QString run(QFileDialog &dialog, const QString &fileInHand)
{
    const QString kind = kindOf(dialog);
    dialog.setDirectory(startFolder(fileInHand, kind));
    const QString name = fileInHand.isEmpty() ? QString() : QFileInfo(fileInHand).fileName();
    dialog.selectFile(name);
    // Qt's own dialog: the name field holds the name alone (selectFile may
    // have left a path there) and is selected once the dialog is up.
    if (auto *field = dialog.findChild<QLineEdit *>(u"fileNameEdit"_s)) {
        field->setText(name);
        QTimer::singleShot(0, field, [field] {
            field->setFocus(Qt::OtherFocusReason);
            field->selectAll();
        });
    }
    const QString chosen = Dialogs::runFileDialog(dialog);
    remember(chosen, kind);
    return chosen;
}

} // namespace DialogFolders

// The editor: registers the marker classes for reading files, creates the
// windows in their fixed order (the main window first; it is the
// application's main window and the only one shown), opens the source file
// given as the first argument (how a desktop opens a file the user
// double-clicked), and runs until the main window closes.

#include "TForm1.h"

#include "document/ClassRegistry.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char *argv[])
{
    ClassRegistry::registerStandardClasses();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("oravelt"));
    QApplication::setApplicationVersion(QStringLiteral(ORAVELT_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("oravelt"));

    TForm1 form1;
    form1.show();

    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        form1.openFile(arguments.at(1));

    return app.exec();
}

// The editor: registers the marker classes for reading files, creates the
// windows in their fixed order, opens the source file given as the first
// argument (how a desktop opens a file the user double-clicked), and runs
// until the main window closes.
//
// Window order: main window (TForm1), check window (TForm3), graphic editor
// (TForm2), connection window (TForm4), sensor calibration window (TForm6).
// Each window's creation handler runs in its constructor, so it runs before
// the next window exists. The main window is the application's main window and
// the only one shown; closing it ends the program, and the other windows are
// destroyed after it, in the reverse order of their creation.

#include "ApplicationErrors.h"
#include "TForm1.h"
#include "imageeditor/window/TForm2.h"

#include "OraveltVersion.h"
#include "document/ClassRegistry.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char *argv[])
{
    ClassRegistry::registerStandardClasses();

    OraveltApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("oravelt"));
    QApplication::setApplicationVersion(OraveltVersion::number());
    QApplication::setDesktopFileName(QStringLiteral("oravelt"));

    TForm1 form1;
    // (the check window, TForm3, comes here)
    TForm2 form2(&form1);
    form1.show();

    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        form1.openFile(arguments.at(1));

    return app.exec();
}

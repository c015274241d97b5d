// The editor: registers the marker classes for reading files, creates the
// windows in their fixed order, opens the source file given as the first
// argument (how a desktop opens a file the user double-clicked), and runs
// until the main window closes.
//
// This is the one place that creates the windows, wires them together and
// owns them. Each window's creation handler runs in its constructor, so it
// runs before the next window exists. The main window is the application's
// main window and the only one shown; the tool windows are its child windows
// and get from it only what they need: the check window and the graphic
// editor its editor session, the calibration window a parent to centre on.
// Closing the main window ends the program, and the other windows are
// destroyed before it, in the reverse order of their creation (the
// calibration window writes "sensor.ini" then).

#include "ui/ApplicationErrors.h"
#include "TForm1.h"
#include "app/pictures/TForm2.h"

#include "OraveltVersion.h"
#include "app/calibration/TForm6.h"
#include "app/check/TForm3.h"
#include "app/link/TForm4.h"
#include "document/streams/ClassRegistry.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char *argv[])
{
    ClassRegistry::registerStandardClasses();

    // Also loads Qt's own translations, so its dialogs speak Russian.
    OraveltApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("oravelt"));
    QApplication::setApplicationVersion(OraveltVersion::number());
    QApplication::setDesktopFileName(QStringLiteral("oravelt"));

    // ----- the windows, in their fixed order
    TForm1 form1;          // main window
    TForm3 form3(form1);   // check window
    form1.setCheckWindow(&form3);
    TForm2 form2(&form1);  // graphic editor
    form1.attachGraphicEditor(&form2);
    TForm4 form4(&form1);  // connection window
    form1.setConnectionWindow(&form4);
    TForm6 form6(&form1);  // sensor calibration window
    form1.setCalibrationWindow(&form6);
    form3.setCalibrationSource(&form6);
    // -----

    form1.show();

    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        form1.openFile(arguments.at(1));

    return app.exec();
}

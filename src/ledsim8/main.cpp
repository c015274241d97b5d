// ledsim8: the sign simulator that the editor's Preview starts. It plays the
// compiled program "cmpres8.dat" of the work folder, the file the editor's
// check writes (or the file given as its argument), on a drawn LED matrix. A
// second start brings the running simulator up and ends.

#include "SimulatorWindow.h"
#include "SingleInstance.h"

#include "workfolder/WorkFolder.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextStream>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"ledsim8"_s);

    const QStringList arguments = QApplication::arguments();
    QString program;
    if (arguments.size() > 1) {
        program = QFileInfo(arguments.at(1)).absoluteFilePath();
    } else {
        const WorkFolder workFolder = WorkFolder::locate();
        if (!workFolder.isValid())
            QTextStream(stderr) << u"ledsim8: "_s << workFolder.error() << u'\n';
        program = workFolder.programPath();
    }
    SingleInstance instance(program);
    if (instance.handOver("show"))
        return 0;
    instance.listen();

    SimulatorWindow window(program);
    QObject::connect(&instance, &SingleInstance::messageReceived, &window, [&window] { window.bringUp(); });
    window.show();
    return app.exec();
}

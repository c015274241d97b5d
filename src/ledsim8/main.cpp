// ledsim8: the sign simulator that the editor's Preview starts. It plays the
// compiled program "cmpres8.dat" of its own directory (or the file given as
// its argument) on a drawn LED matrix. A second start brings the running
// simulator up and ends.

#include "SimulatorWindow.h"
#include "SingleInstance.h"

#include "document/ExecutableDirectory.h"

#include <QApplication>
#include <QFileInfo>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"ledsim8"_s);

    const QStringList arguments = QApplication::arguments();
    const QString program = arguments.size() > 1 ? QFileInfo(arguments.at(1)).absoluteFilePath()
                                                 : executableDirectory() + u"cmpres8.dat"_s;
    SingleInstance instance(program);
    if (instance.handOver("show"))
        return 0;
    instance.listen();

    SimulatorWindow window(program);
    QObject::connect(&instance, &SingleInstance::messageReceived, &window, [&window] { window.bringUp(); });
    window.show();
    return app.exec();
}

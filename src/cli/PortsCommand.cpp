// oravelt-cli ports: the serial ports this computer has.

#include "CliCommand.h"

#include "link/PortDiscovery.h"

#include <QCommandLineParser>
#include <QTextStream>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

int runPorts(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Lists the serial ports of this computer: name, device and, for USB adapters, maker, product and "
        "serial number. Use the name (or the device) with upload and set-clock."_s);
    parser.addHelpOption();
    const QCommandLineOption sysfs(u"sysfs"_s, u"Read the device tree from DIR instead of /sys."_s, u"DIR"_s,
                                   u"/sys"_s);
    parser.addOption(sysfs);
    if (!parser.parse(arguments)) {
        QTextStream(stderr) << parser.errorText() << u'\n';
        return CliUsage;
    }
    if (parser.isSet(u"help"_s)) {
        QTextStream(stdout) << parser.helpText();
        return CliOk;
    }
    if (!parser.positionalArguments().isEmpty()) {
        QTextStream(stderr) << u"ports takes no arguments\n"_s;
        return CliUsage;
    }

    QTextStream out(stdout);
    const auto ports = PortDiscovery::discover(parser.value(sysfs));
    if (!ports) {
        QTextStream(stderr) << u"The device tree %1 cannot be read; these are the fixed port names.\n"_s.arg(
            parser.value(sysfs));
        for (const QString &name : PortDiscovery::fallbackPortNames())
            out << name << u'\n';
        return CliOk;
    }
    if (ports->isEmpty()) {
        QTextStream(stderr) << u"No serial ports found.\n"_s;
        return CliOk;
    }
    qsizetype nameWidth = 4, deviceWidth = 6;
    for (const SerialPortInfo &port : *ports) {
        nameWidth = std::max(nameWidth, port.name.size());
        deviceWidth = std::max(deviceWidth, port.device.size());
    }
    out << u"NAME"_s.leftJustified(nameWidth + 2) << u"DEVICE"_s.leftJustified(deviceWidth + 2) << u"DESCRIPTION\n"_s;
    for (const SerialPortInfo &port : *ports) {
        out << port.name.leftJustified(nameWidth + 2) << port.device.leftJustified(deviceWidth + 2)
            << port.description << u'\n';
    }
    return CliOk;
}

const CliCommandRegistrar registrar({u"ports"_s, u"List the serial ports"_s, runPorts});

} // namespace

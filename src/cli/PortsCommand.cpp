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
    const QCommandLineOption sysfs(u"sysfs"_s, u"Read the Linux device tree from DIR instead of the system's ports."_s,
                                   u"DIR"_s);
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
    const PortDiscovery::SystemPorts found = parser.isSet(sysfs)
        ? PortDiscovery::SystemPorts{PortDiscovery::discover(parser.value(sysfs)), {}}
        : PortDiscovery::discoverSystem();
    if (!found.error.isEmpty())
        QTextStream(stderr) << found.error << u'\n';
    const auto &ports = found.ports;
    if (!ports) {
        QTextStream(stderr) << u"The system's port list (%1) cannot be read; these are the fixed port names.\n"_s.arg(
            parser.isSet(sysfs) ? parser.value(sysfs) : PortDiscovery::systemSourceName());
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

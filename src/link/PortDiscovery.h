#pragma once

// The serial ports the system has, read from the kernel's device tree
// (/sys/class/tty): terminals backed by a device with a driver (USB and ACM
// adapters, on-board UARTs), leaving out virtual consoles, pseudo-terminals
// and the placeholder ttyS entries the 8250 driver registers for hardware
// that is not there (their "type" reads 0). Discovery only reads the tree and
// never opens a port, so it needs no access to the devices themselves.
//
// Until discovery has run, and when it cannot run (no such tree), the list is
// the fixed "COM1" to "COM32".

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct SerialPortInfo {
    QString name;         // "ttyUSB0", "COM3": what the port is chosen by
    QString device;       // "/dev/ttyUSB0", "\\.\COM3"
    QString description;  // USB adapters: maker, product, serial number where known
};

namespace PortDiscovery {

// sysRoot is the directory that plays /sys. Ports sorted by name as text,
// ignoring case ("ttyS10" before "ttyS2"). nullopt when the tree cannot be
// read; an empty list when it holds no serial port.
std::optional<QList<SerialPortInfo>> discover(const QString &sysRoot = QStringLiteral("/sys"));

// The system's own ports: the device tree under /sys on Linux, the
// registry's serial device map (the key SERIALCOMM under
// HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP) on Windows, with descriptions
// from the device manager. ports is nullopt when there is nothing to read
// (as discover()); error is the text to show when reading failed part of
// the way, with ports as far as it got.
struct SystemPorts {
    std::optional<QList<SerialPortInfo>> ports;
    QString error;
};
SystemPorts discoverSystem();
// Where discoverSystem() reads, for messages: "/sys", or the registry key.
QString systemSourceName();

// Sorted as text ignoring case, "COM10" before "COM2"; ties by exact text.
void sortByName(QList<SerialPortInfo> &ports);

QStringList fallbackPortNames();  // "COM1" ... "COM32"

QStringList names(const QList<SerialPortInfo> &ports);

} // namespace PortDiscovery

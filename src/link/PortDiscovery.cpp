#include "PortDiscovery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString readAttribute(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(4096)).trimmed();
}

// The USB device above a tty's device: the first ancestor with an idVendor.
QString usbDescription(const QString &deviceDir, const QString &sysRoot)
{
    const QString root = QFileInfo(sysRoot).canonicalFilePath();
    QString dir = QFileInfo(deviceDir).canonicalFilePath();
    for (int depth = 0; depth < 6 && !dir.isEmpty() && dir.startsWith(root) && dir != root; ++depth) {
        if (QFileInfo::exists(dir + u"/idVendor"_s)) {
            const QString maker = readAttribute(dir + u"/manufacturer"_s);
            const QString product = readAttribute(dir + u"/product"_s);
            const QString serial = readAttribute(dir + u"/serial"_s);
            QStringList parts;
            if (!maker.isEmpty())
                parts << maker;
            if (!product.isEmpty())
                parts << product;
            QString text = parts.join(u' ');
            if (text.isEmpty()) {
                text = u"USB device %1:%2"_s.arg(readAttribute(dir + u"/idVendor"_s),
                                                 readAttribute(dir + u"/idProduct"_s));
            }
            if (!serial.isEmpty())
                text += u", serial number "_s + serial;
            return text;
        }
        const int slash = dir.lastIndexOf(u'/');
        if (slash <= 0)
            break;
        dir.truncate(slash);
    }
    return {};
}

} // namespace

namespace PortDiscovery {

std::optional<QList<SerialPortInfo>> discover(const QString &sysRoot)
{
    const QDir ttyClass(sysRoot + u"/class/tty"_s);
    if (!ttyClass.exists() || !QFileInfo(ttyClass.path()).isReadable())
        return std::nullopt;

    QList<SerialPortInfo> ports;
    const QStringList entries = ttyClass.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    for (const QString &name : entries) {
        const QString entry = ttyClass.filePath(name);
        const QString deviceDir = entry + u"/device"_s;
        if (!QFileInfo::exists(deviceDir + u"/driver"_s))
            continue;  // virtual terminals, pseudo-terminals, consoles
        const QString type = readAttribute(entry + u"/type"_s);
        if (!type.isEmpty() && type == u"0"_s)
            continue;  // a UART slot the driver reserved, with no hardware behind it
        ports.append(SerialPortInfo{name, u"/dev/"_s + name, usbDescription(deviceDir, sysRoot)});
    }
    sortByName(ports);
    return ports;
}

void sortByName(QList<SerialPortInfo> &ports)
{
    std::sort(ports.begin(), ports.end(), [](const SerialPortInfo &a, const SerialPortInfo &b) {
        const int order = a.name.compare(b.name, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.name < b.name;
    });
}

QStringList fallbackPortNames()
{
    QStringList names;
    names.reserve(32);
    for (int i = 1; i <= 32; ++i)
        names << u"COM%1"_s.arg(i);
    return names;
}

QStringList names(const QList<SerialPortInfo> &ports)
{
    QStringList result;
    result.reserve(ports.size());
    for (const SerialPortInfo &port : ports)
        result << port.name;
    return result;
}

} // namespace PortDiscovery

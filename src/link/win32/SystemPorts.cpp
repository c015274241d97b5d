// The serial ports of Windows: the names from the registry's serial device
// map, which every serial driver fills in (COM ports of USB adapters, of
// virtual port drivers and on-board ones alike), and their descriptions from
// the device manager's "Ports" class, matched by the name each device keeps
// in its "PortName" value.

#include "link/PortDiscovery.h"

#include <QHash>

#include <windows.h>
#include <setupapi.h>

using namespace Qt::StringLiterals;

namespace {

// The device setup class of serial and parallel ports.
constexpr GUID PortsClass = {0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

QString registryString(HDEVINFO devices, SP_DEVINFO_DATA &device, DWORD property)
{
    wchar_t buffer[512];
    DWORD type = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, property, &type, reinterpret_cast<BYTE *>(buffer),
                                           sizeof buffer - sizeof(wchar_t), nullptr)
        || type != REG_SZ)
        return {};
    buffer[std::size(buffer) - 1] = 0;
    return QString::fromWCharArray(buffer).trimmed();
}

QString portName(HDEVINFO devices, SP_DEVINFO_DATA &device)
{
    const HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
    if (key == INVALID_HANDLE_VALUE)
        return {};
    wchar_t buffer[64] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    DWORD type = 0;
    const LSTATUS status
        = RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? QString::fromWCharArray(buffer) : QString();
}

// "USB\VID_0403&PID_6001\A50285BI": the last part is the adapter's serial
// number unless Windows made one up (it then holds '&').
QString usbSerialNumber(HDEVINFO devices, SP_DEVINFO_DATA &device)
{
    wchar_t buffer[512] = {};
    if (!SetupDiGetDeviceInstanceIdW(devices, &device, buffer, DWORD(std::size(buffer) - 1), nullptr))
        return {};
    const QString id = QString::fromWCharArray(buffer);
    if (!id.startsWith(u"USB\\"_s, Qt::CaseInsensitive) && !id.startsWith(u"FTDIBUS\\"_s, Qt::CaseInsensitive))
        return {};
    const QString last = id.section(u'\\', -1);
    return last.contains(u'&') ? QString() : last;
}

// Port name → "friendly name, maker, serial number N".
QHash<QString, QString> descriptions()
{
    QHash<QString, QString> result;
    const HDEVINFO devices = SetupDiGetClassDevsW(&PortsClass, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE)
        return result;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(devices, i, &device); ++i) {
        const QString name = portName(devices, device);
        if (name.isEmpty())
            continue;
        QString text = registryString(devices, device, SPDRP_FRIENDLYNAME);
        if (text.isEmpty())
            text = registryString(devices, device, SPDRP_DEVICEDESC);
        const QString maker = registryString(devices, device, SPDRP_MFG);
        if (!maker.isEmpty() && !maker.startsWith(u'(') && !text.contains(maker, Qt::CaseInsensitive))
            text += (text.isEmpty() ? QString() : u", "_s) + maker;
        const QString serial = usbSerialNumber(devices, device);
        if (!serial.isEmpty())
            text += (text.isEmpty() ? QString() : u", "_s) + u"serial number "_s + serial;
        result.insert(name.toUpper(), text);
    }
    SetupDiDestroyDeviceInfoList(devices);
    return result;
}

} // namespace

PortDiscovery::SystemPorts PortDiscovery::discoverSystem()
{
    SystemPorts result;
    // Read access is all the list needs; asking for more would fail for
    // every user who is not an administrator.
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &key)
        != ERROR_SUCCESS)
        return result;  // no serial driver has started: nothing to list

    const QHash<QString, QString> described = descriptions();
    QList<SerialPortInfo> ports;
    for (DWORD index = 0;; ++index) {
        wchar_t valueName[256];
        DWORD nameLength = DWORD(std::size(valueName));
        wchar_t data[256] = {};
        DWORD dataSize = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        const LSTATUS status = RegEnumValueW(key, index, valueName, &nameLength, nullptr, &type,
                                             reinterpret_cast<BYTE *>(data), &dataSize);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS) {
            result.error = u"Reg.OpenKey: Ошибка при открытии ключа реестра \"hardware\\devicemap\\serialcomm\""_s;
            break;
        }
        if (type != REG_SZ)
            continue;
        const QString name = QString::fromWCharArray(data);
        if (name.isEmpty())
            continue;
        ports.append(SerialPortInfo{name, u"\\\\.\\"_s + name, described.value(name.toUpper())});
    }
    RegCloseKey(key);
    sortByName(ports);
    result.ports = ports;
    return result;
}

QString PortDiscovery::systemSourceName()
{
    return QStringLiteral("HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM");
}

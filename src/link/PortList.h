#pragma once

// The entries of the connection window's port list and which one is chosen.
//
// Before any discovery the list is "COM1" to "COM32" with "COM1" chosen.
// Each discovery replaces it with the ports found (sorted ignoring case)
// followed by the device paths the operator typed in that still exist and
// the network addresses typed in (tcp://HOST:PORT, rfc2217://HOST:PORT); a
// discovery that cannot read the device tree leaves the list as it is. The
// first discovery chooses the first entry; later ones keep the chosen port
// while it is still listed and otherwise choose the first entry (none when
// the list is empty).
//
// Entries are what the port is opened by: a port name ("ttyUSB0", a device
// under /dev), a device path ("/tmp/vsign") or a network address.

#include "PortDiscovery.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

struct PortEntry {
    QString name;
    QString toolTip;  // the adapter's maker, product and serial number, or the device path
    bool typedIn = false;
};

class PortList {
public:
    using Exists = std::function<bool(const QString &path)>;

    PortList();

    const QList<PortEntry> &entries() const { return m_entries; }
    int chosen() const { return m_chosen; }  // -1: none
    QString chosenName() const;

    // Applies a discovery result; returns whether the chosen name changed.
    bool refresh(const std::optional<QList<SerialPortInfo>> &found, const Exists &exists);
    // A device path or network address the operator typed in: listed (once)
    // and chosen. A path
    // that is a discovered port's device chooses that port.
    void choosePath(const QString &path);
    void choose(int index);

private:
    QList<PortEntry> m_entries;
    QStringList m_typedIn;
    int m_chosen = 0;
    bool m_discovered = false;
};

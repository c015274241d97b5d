#include "PortList.h"

#include "serial/NetworkAddress.h"

using namespace Qt::StringLiterals;

PortList::PortList()
{
    for (const QString &name : PortDiscovery::fallbackPortNames())
        m_entries.append(PortEntry{name, QString(), false});
}

QString PortList::chosenName() const
{
    return m_chosen >= 0 && m_chosen < m_entries.size() ? m_entries.at(m_chosen).name : QString();
}

bool PortList::refresh(const std::optional<QList<SerialPortInfo>> &found, const Exists &exists)
{
    if (!found)
        return false;
    const QString before = chosenName();

    QList<PortEntry> entries;
    for (const SerialPortInfo &port : *found)
        entries.append(PortEntry{port.name, port.description.isEmpty() ? port.device : port.description, false});
    QStringList kept;
    for (const QString &path : std::as_const(m_typedIn)) {
        // A network address has nothing on this machine to look for.
        if (!NetworkAddress::isNetworkName(path) && !exists(path))
            continue;
        kept << path;
        entries.append(PortEntry{path, path, true});
    }
    m_typedIn = kept;
    m_entries = entries;

    m_chosen = entries.isEmpty() ? -1 : 0;
    if (m_discovered) {
        for (qsizetype i = 0; i < entries.size(); ++i) {
            if (entries.at(i).name == before) {
                m_chosen = int(i);
                break;
            }
        }
    }
    m_discovered = true;
    return chosenName() != before;
}

void PortList::choosePath(const QString &path)
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        const PortEntry &entry = m_entries.at(i);
        if (entry.name == path || (!entry.typedIn && u"/dev/"_s + entry.name == path)) {
            m_chosen = int(i);
            return;
        }
    }
    m_typedIn << path;
    m_entries.append(PortEntry{path, path, true});
    m_chosen = int(m_entries.size() - 1);
}

void PortList::choose(int index)
{
    m_chosen = index >= 0 && index < m_entries.size() ? index : -1;
}

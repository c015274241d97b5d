#include "link/PortDiscovery.h"

PortDiscovery::SystemPorts PortDiscovery::discoverSystem()
{
    return SystemPorts{discover(QStringLiteral("/sys")), {}};
}

QString PortDiscovery::systemSourceName()
{
    return QStringLiteral("/sys");
}

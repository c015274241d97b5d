#include "NetworkAddress.h"

using namespace Qt::StringLiterals;

namespace {

constexpr QStringView RawScheme = u"tcp://";
constexpr QStringView Rfc2217Scheme = u"rfc2217://";

} // namespace

bool NetworkAddress::isNetworkName(const QString &name)
{
    const QString trimmed = name.trimmed();
    return trimmed.startsWith(RawScheme, Qt::CaseInsensitive) || trimmed.startsWith(Rfc2217Scheme, Qt::CaseInsensitive);
}

std::optional<NetworkAddress> NetworkAddress::parse(const QString &name, QString *error)
{
    auto refuse = [&](const QString &why) -> std::optional<NetworkAddress> {
        if (error)
            *error = u"\"%1\" is not a network address of the form tcp://HOST:PORT or rfc2217://HOST:PORT (%2)"_s
                         .arg(name, why);
        return std::nullopt;
    };
    const QString trimmed = name.trimmed();
    NetworkAddress address;
    QStringView rest;
    if (trimmed.startsWith(RawScheme, Qt::CaseInsensitive)) {
        address.kind = Kind::RawTcp;
        rest = QStringView(trimmed).mid(RawScheme.size());
    } else if (trimmed.startsWith(Rfc2217Scheme, Qt::CaseInsensitive)) {
        address.kind = Kind::Rfc2217;
        rest = QStringView(trimmed).mid(Rfc2217Scheme.size());
    } else {
        return refuse(u"unknown scheme"_s);
    }
    if (rest.endsWith(u'/'))
        rest.chop(1);

    QStringView host;
    QStringView port;
    if (rest.startsWith(u'[')) {
        const qsizetype close = rest.indexOf(u']');
        if (close < 0)
            return refuse(u"no closing bracket after the IPv6 address"_s);
        host = rest.mid(1, close - 1);
        const QStringView after = rest.mid(close + 1);
        if (!after.startsWith(u':'))
            return refuse(u"no port after the address"_s);
        port = after.mid(1);
    } else {
        const qsizetype colon = rest.lastIndexOf(u':');
        if (colon < 0)
            return refuse(u"no port"_s);
        host = rest.left(colon);
        port = rest.mid(colon + 1);
        if (host.contains(u':'))
            return refuse(u"an IPv6 address goes in brackets, as in [::1]:2000"_s);
    }
    if (host.isEmpty())
        return refuse(u"no host"_s);
    if (host.contains(u'/') || host.contains(u' '))
        return refuse(u"the host holds a slash or a space"_s);
    bool ok = false;
    const uint number = port.toUInt(&ok);
    if (!ok || number == 0 || number > 65535 || port.startsWith(u'+'))
        return refuse(u"the port must be a number from 1 to 65535"_s);
    address.host = host.toString();
    address.port = quint16(number);
    return address;
}

QString NetworkAddress::toString() const
{
    const QString scheme = kind == Kind::Rfc2217 ? u"rfc2217://"_s : u"tcp://"_s;
    const QString shownHost = host.contains(u':') ? u'[' + host + u']' : host;
    return scheme + shownHost + u':' + QString::number(port);
}

QString NetworkAddress::endpointText() const
{
    return u"%1 port %2"_s.arg(host).arg(port);
}

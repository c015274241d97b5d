// Port discovery on a made-up device tree laid out like the kernel's.

#include "FakeSysfs.h"

#include "link/PortDiscovery.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

using namespace Qt::StringLiterals;

namespace {

TEST(PortDiscovery, ListsRealPortsSortedAsTextWithUsbDescriptions)
{
    FakeSysfs sys;
    sys.tty(u"ttyS0"_s, u"devices/platform/serial8250/port0"_s, u"serial8250"_s, "4\n");
    sys.tty(u"ttyS10"_s, u"devices/pnp0/00:0a"_s, u"serial"_s, "4\n");
    sys.tty(u"ttyS2"_s, u"devices/pnp0/00:02"_s, u"serial"_s, "4\n");
    sys.tty(u"ttyS3"_s, u"devices/platform/serial8250/port3"_s, u"serial8250"_s, "0\n");  // no UART there
    sys.tty(u"tty0"_s, u"devices/virtual"_s, {});                                          // a console
    sys.tty(u"ttyX9"_s, u"devices/platform/nodriver"_s, {});                               // no driver bound

    const QString usb = u"devices/pci0000:00/0000:00:14.0/usb1/1-2"_s;
    sys.file(usb + u"/idVendor"_s, "0403\n");
    sys.file(usb + u"/idProduct"_s, "6001\n");
    sys.file(usb + u"/manufacturer"_s, "FTDI\n");
    sys.file(usb + u"/product"_s, "FT232R USB UART\n");
    sys.file(usb + u"/serial"_s, "A50285BI\n");
    sys.tty(u"ttyUSB0"_s, usb + u"/1-2:1.0/ttyUSB0"_s, u"ftdi_sio"_s);

    const QString acm = u"devices/pci0000:00/0000:00:14.0/usb1/1-3"_s;
    sys.file(acm + u"/idVendor"_s, "2341\n");
    sys.file(acm + u"/idProduct"_s, "0043\n");
    sys.tty(u"ttyACM0"_s, acm + u"/1-3:1.0"_s, u"cdc_acm"_s);

    const auto ports = PortDiscovery::discover(sys.root());
    ASSERT_TRUE(ports.has_value());
    EXPECT_EQ(PortDiscovery::names(*ports),
              (QStringList{u"ttyACM0"_s, u"ttyS0"_s, u"ttyS10"_s, u"ttyS2"_s, u"ttyUSB0"_s}));
    EXPECT_EQ(ports->at(0).description, u"USB device 2341:0043"_s);
    EXPECT_EQ(ports->at(1).device, u"/dev/ttyS0"_s);
    EXPECT_TRUE(ports->at(1).description.isEmpty());
    EXPECT_EQ(ports->at(4).description, u"FTDI FT232R USB UART, serial number A50285BI"_s);
    EXPECT_EQ(ports->at(4).device, u"/dev/ttyUSB0"_s);
}

TEST(PortDiscovery, TreeWithoutSerialPortsGivesAnEmptyList)
{
    FakeSysfs sys;
    sys.tty(u"tty1"_s, u"devices/virtual"_s, {});
    const auto ports = PortDiscovery::discover(sys.root());
    ASSERT_TRUE(ports.has_value());
    EXPECT_TRUE(ports->isEmpty());
}

TEST(PortDiscovery, MissingTreeCannotRunAndTheFixedListStands)
{
    QTemporaryDir empty;
    EXPECT_FALSE(PortDiscovery::discover(empty.path() + u"/nothing"_s).has_value());
    const QStringList fallback = PortDiscovery::fallbackPortNames();
    ASSERT_EQ(fallback.size(), 32);
    EXPECT_EQ(fallback.first(), u"COM1"_s);
    EXPECT_EQ(fallback.last(), u"COM32"_s);
}

TEST(PortDiscovery, ComNamesSortAsText)
{
    // The same ordering the fixed names would get: "COM10" before "COM2".
    FakeSysfs sys;
    sys.tty(u"COM2"_s, u"devices/a"_s, u"d"_s);
    sys.tty(u"com10"_s, u"devices/b"_s, u"d"_s);
    sys.tty(u"COM1"_s, u"devices/c"_s, u"d"_s);
    const auto ports = PortDiscovery::discover(sys.root());
    ASSERT_TRUE(ports.has_value());
    EXPECT_EQ(PortDiscovery::names(*ports), (QStringList{u"COM1"_s, u"com10"_s, u"COM2"_s}));
}

} // namespace

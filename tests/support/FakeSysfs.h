#pragma once

// A made-up device tree laid out like the kernel's /sys, for port discovery
// without hardware: tty class entries linked to their devices, drivers bound
// or not, USB devices with their attributes.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <filesystem>

class FakeSysfs {
public:
    FakeSysfs() { QDir(root()).mkpath(QStringLiteral("class/tty")); }

    QString root() const { return m_dir.path(); }

    void file(const QString &path, const QByteArray &content)
    {
        const QString full = root() + u'/' + path;
        QDir().mkpath(QFileInfo(full).path());
        QFile f(full);
        f.open(QIODevice::WriteOnly);
        f.write(content);
    }

    void link(const QString &linkPath, const QString &target)
    {
        const std::filesystem::path where = std::filesystem::path((root() + u'/' + linkPath).toStdString());
        std::filesystem::create_directories(where.parent_path());
        const std::filesystem::path to = std::filesystem::path((root() + u'/' + target).toStdString());
        std::filesystem::create_directories(to);
        std::filesystem::create_directory_symlink(std::filesystem::relative(to, where.parent_path()), where);
    }

    // A tty class entry for deviceDir (under devices/), whose device is
    // parentDevice and bound to driver (none when empty).
    void tty(const QString &name, const QString &parentDevice, const QString &driver, const QByteArray &type = {})
    {
        const QString ttyDir = parentDevice + QStringLiteral("/tty/") + name;
        link(QStringLiteral("class/tty/") + name, ttyDir);
        if (!parentDevice.startsWith(QStringLiteral("devices/virtual"))) {
            link(ttyDir + QStringLiteral("/device"), parentDevice);
            if (!driver.isEmpty())
                link(parentDevice + QStringLiteral("/driver"), QStringLiteral("bus/any/drivers/") + driver);
        }
        if (!type.isEmpty())
            file(ttyDir + QStringLiteral("/type"), type);
    }

private:
    QTemporaryDir m_dir;
};


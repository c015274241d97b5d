#pragma once

// ComboBox1 of the connection window: a drop-down list without typing that
// shows 16 rows and drops down when the operator types. Its entries are a
// PortList and a last entry "Другой порт..." that asks for a device path
// (a port the discovery cannot see, such as one end of a virtual port pair)
// or a network address (tcp://HOST:PORT, rfc2217://HOST:PORT); what is typed
// in becomes the chosen entry. Each time the list drops down
// the ports are discovered again, so an adapter plugged in later appears.
//
// chosenChanged() is emitted whenever the chosen port changes: the operator
// picks an entry (also the one already chosen) or types in a path, or a
// discovery finds the chosen port gone.

#include "link/PortList.h"

#include <QComboBox>

class PortComboBox : public QComboBox {
    Q_OBJECT
public:
    // sysRoot: the directory that plays /sys for the discovery; empty for
    // the system's own ports (PortDiscovery::discoverSystem).
    explicit PortComboBox(const QString &sysRoot, QWidget *parent = nullptr);

    const PortList &ports() const { return m_ports; }
    // The text of the chosen entry; empty when none is chosen.
    QString chosenName() const { return m_ports.chosenName(); }

    // Runs the discovery and fills the list.
    void discover();
    // Lists and chooses a device path or network address, as "Другой порт..."
    // does.
    void choosePath(const QString &path);

    static QString otherPortText();

    // Discovers the ports again, then drops the list down.
    void showPopup() override;

signals:
    void chosenChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void rebuild();
    void entryActivated(int index);
    void askForPath();

    QString m_sysRoot;
    PortList m_ports;
};

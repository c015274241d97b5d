#include "PortComboBox.h"

#include "ui/Caption.h"
#include "ui/Dialogs.h"
#include "link/LinkMessages.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>

using namespace Qt::StringLiterals;

PortComboBox::PortComboBox(const QString &sysRoot, QWidget *parent)
    : QComboBox(parent)
    , m_sysRoot(sysRoot)
{
    setEditable(false);
    setMaxVisibleItems(16);
    // The list is the one thing that says which ports there are: let it be as
    // wide as its longest entry when dropped, even where the box is narrow.
    view()->setTextElideMode(Qt::ElideNone);
    setSizeAdjustPolicy(QComboBox::AdjustToContentsOnFirstShow);
    rebuild();
    connect(this, &QComboBox::activated, this, &PortComboBox::entryActivated);
}

QString PortComboBox::otherPortText()
{
    return u"Другой порт..."_s;
}

void PortComboBox::rebuild()
{
    const QSignalBlocker blocker(this);
    clear();
    for (const PortEntry &entry : m_ports.entries()) {
        addItem(entry.name);
        setItemData(count() - 1, entry.toolTip, Qt::ToolTipRole);
    }
    addItem(otherPortText());
    setItemData(count() - 1, u"Указать путь к устройству порта или сетевой адрес (tcp://узел:порт, rfc2217://узел:порт)"_s, Qt::ToolTipRole);
    setCurrentIndex(m_ports.chosen());
    setToolTip(m_ports.chosen() >= 0 ? m_ports.entries().at(m_ports.chosen()).toolTip : QString());
    if (view()) {
        const int wanted = view()->sizeHintForColumn(0) + 8;
        view()->setMinimumWidth(qMax(width(), wanted));
    }
}

void PortComboBox::discover()
{
    const PortDiscovery::SystemPorts found = m_sysRoot.isEmpty()
        ? PortDiscovery::discoverSystem()
        : PortDiscovery::SystemPorts{PortDiscovery::discover(m_sysRoot), {}};
    const bool changed
        = m_ports.refresh(found.ports, [](const QString &path) { return QFileInfo::exists(path); });
    rebuild();
    if (!found.error.isEmpty())
        Dialogs::message(this, QMessageBox::NoIcon, Caption::applicationTitle(), found.error);
    if (changed)
        emit chosenChanged();
}

void PortComboBox::choosePath(const QString &path)
{
    m_ports.choosePath(path);
    rebuild();
    emit chosenChanged();
}

void PortComboBox::showPopup()
{
    discover();
    QComboBox::showPopup();
}

void PortComboBox::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    if (!text.isEmpty() && text.at(0).isPrint() && !text.at(0).isSpace() && event->modifiers() == Qt::NoModifier) {
        // Typing drops the list down and picks the entry it starts with there.
        showPopup();
        if (view() && view()->isVisible()) {
            QKeyEvent copy(event->type(), event->key(), event->modifiers(), text);
            QCoreApplication::sendEvent(view(), &copy);
            return;
        }
    }
    QComboBox::keyPressEvent(event);
}

void PortComboBox::entryActivated(int index)
{
    if (index == count() - 1) {
        askForPath();
        return;
    }
    m_ports.choose(index);
    setToolTip(m_ports.chosen() >= 0 ? m_ports.entries().at(m_ports.chosen()).toolTip : QString());
    emit chosenChanged();
}

void PortComboBox::askForPath()
{
    QString suggestion = u"/dev/"_s;
    const QString chosen = m_ports.chosenName();
    if (chosen.contains(u'/'))
        suggestion = chosen;
    const std::optional<QString> typed =
        Dialogs::askText(window(), LinkMessages::connectionCaption(), u"Путь к устройству или сетевой адрес порта\n(tcp://узел:порт или rfc2217://узел:порт):"_s, suggestion);
    const QString path = typed ? typed->trimmed() : QString();
    if (path.isEmpty()) {
        // Nothing chosen: the previous entry stays, and with it the port.
        const QSignalBlocker blocker(this);
        setCurrentIndex(m_ports.chosen());
        return;
    }
    choosePath(path);
}

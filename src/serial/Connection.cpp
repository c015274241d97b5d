#include "Connection.h"

using namespace Qt::StringLiterals;

TConnection::TConnection(QObject *owner)
    : QObject(owner)
{
}

TConnection::~TConnection() = default;

void TConnection::setActive(bool value)
{
    if (m_loading) {
        if (value)
            m_streamedActive = true;
        return;
    }
    if (value == m_active)
        return;
    if (value) {
        openNow();
        return;
    }
    if (!m_destroying)
        DoBeforeClose();
    DoClose();
    m_active = false;
    if (!m_destroying)
        DoAfterClose();
}

void TConnection::openNow()
{
    DoBeforeOpen();
    try {
        DoOpen();
    } catch (...) {
        DoClose();
        throw;
    }
    m_active = true;
    DoAfterOpen();
}

void TConnection::Loaded()
{
    m_loading = false;
    if (m_streamedActive && !m_active)
        openNow();
}

void TConnection::CheckInactive() const
{
    if (m_active)
        throw EConnectError(u"Connection is active"_s);
}

void TConnection::CheckActive() const
{
    if (!m_active)
        throw EConnectError(u"Connection is inactive"_s);
}

void TConnection::DoBeforeOpen()
{
    if (m_beforeOpen)
        m_beforeOpen(this);
}

void TConnection::DoBeforeClose()
{
    if (m_beforeClose)
        m_beforeClose(this);
}

void TConnection::DoAfterOpen()
{
    if (m_afterOpen)
        m_afterOpen(this);
}

void TConnection::DoAfterClose()
{
    if (m_afterClose)
        m_afterClose(this);
}

void TConnection::closeForDestruction()
{
    m_destroying = true;
    m_loading = false;
    setActive(false);
}

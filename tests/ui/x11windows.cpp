// Finding and closing the simulator's window by its title on a real X server
// (an Xvfb of the test's own), with a window made the way any X program makes
// one.

#include "app/platform/TopLevelWindows.h"
#include "app/platform/X11Windows.h"

#include "PrivateXServer.h"

#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

using namespace Qt::StringLiterals;

class X11WindowsTest : public QObject {
    Q_OBJECT

private:
    PrivateXServer m_server;
    QByteArray m_display;
    xcb_connection_t *m_c = nullptr;
    xcb_window_t m_root = 0;

    xcb_atom_t atom(const char *name)
    {
        auto *reply = xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, quint16(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = reply->atom;
        std::free(reply);
        return a;
    }

    // A top-level window titled `title`, taking part in the close protocol.
    xcb_window_t makeWindow(const QString &title)
    {
        const xcb_window_t w = xcb_generate_id(m_c);
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, w, m_root, 0, 0, 100, 50, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, 0, nullptr);
        const QByteArray utf8 = title.toUtf8();
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, w, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8,
                            quint32(utf8.size()), utf8.constData());
        const xcb_atom_t deleteWindow = atom("WM_DELETE_WINDOW");
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, w, atom("WM_PROTOCOLS"), XCB_ATOM_ATOM, 32, 1, &deleteWindow);
        xcb_map_window(m_c, w);
        std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
        return w;
    }

    // The close requests that have reached our windows so far.
    QList<xcb_window_t> m_closeRequests;
    const QList<xcb_window_t> &closeRequests()
    {
        QList<xcb_window_t> &windows = m_closeRequests;
        const xcb_atom_t protocols = atom("WM_PROTOCOLS");
        const xcb_atom_t deleteWindow = atom("WM_DELETE_WINDOW");
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_c)) {
            if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE) {
                auto *message = reinterpret_cast<xcb_client_message_event_t *>(event);
                if (message->type == protocols && message->data.data32[0] == deleteWindow)
                    windows << message->window;
            }
            std::free(event);
        }
        return windows;
    }

private slots:
    void initTestCase()
    {
        QString why;
        if (!m_server.start(u"640x480x24"_s, &why))
            QSKIP(qPrintable(why));
        m_display = m_server.display();
        m_c = xcb_connect(m_display.constData(), nullptr);
        QVERIFY(m_c && !xcb_connection_has_error(m_c));
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
    }

    void cleanupTestCase()
    {
        if (m_c)
            xcb_disconnect(m_c);
        m_server.stop();
    }

    void findsOnlyTheExactTitleAndClosesThatWindow()
    {
        const xcb_window_t preview = makeWindow(Simulator::previewTitle());
        const xcb_window_t other = makeWindow(u"Oravelt 8 v1.1 XP/W7 04.03.2011 - Предварительный просмотр"_s);
        const xcb_window_t closing = makeWindow(Simulator::closingTitle());
        auto windows = X11Windows::connect(m_display);
        QVERIFY(windows);
        QCOMPARE(windows->find(Simulator::closingTitle()), std::optional<TopLevelWindows::Handle>(closing));
        QCOMPARE(windows->find(Simulator::previewTitle()), std::optional<TopLevelWindows::Handle>(preview));
        QVERIFY(!windows->find(u"\"Oravelt 8\""_s));

        QVERIFY(Simulator::closeWindow(*windows));
        QTRY_COMPARE(closeRequests(), QList<xcb_window_t>{closing});
        Q_UNUSED(other);
    }

    void withoutTheWindowNothingIsClosed()
    {
        auto windows = X11Windows::connect(m_display);
        QVERIFY(windows);
        QVERIFY(!windows->find(u"\"Oravelt 8\" v1.1 XP/W7 04.03.2011"_s));
        closeRequests();
        m_closeRequests.clear();
        makeWindow(u"Редактор"_s);
        QVERIFY(windows->find(u"Редактор"_s));
        QVERIFY(!windows->find(u"Редактор "_s));
        QTest::qWait(50);
        QVERIFY(closeRequests().isEmpty());
    }
};

QTEST_GUILESS_MAIN(X11WindowsTest)
#include "x11windows.moc"

#include "X11Windows.h"

#ifdef ORAVELT_HAVE_XCB
#include <xcb/xcb.h>
#endif

#include <QByteArray>
#include <QList>

#include <cstdlib>
#include <cstring>

#ifdef ORAVELT_HAVE_XCB

struct X11Windows::Connection {
    xcb_connection_t *c = nullptr;
    xcb_window_t root = 0;
    ~Connection()
    {
        if (c)
            xcb_disconnect(c);
    }

    xcb_atom_t atom(const char *name) const
    {
        xcb_intern_atom_reply_t *reply
            = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, quint16(std::strlen(name)), name), nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return result;
    }

    QByteArray property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type) const
    {
        xcb_get_property_reply_t *reply
            = xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, 1 << 20), nullptr);
        QByteArray value;
        if (reply && reply->type != XCB_ATOM_NONE)
            value = QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
                               xcb_get_property_value_length(reply));
        std::free(reply);
        return value;
    }

    void send(xcb_window_t target, quint32 mask, xcb_window_t window, xcb_atom_t message, quint32 data0,
              quint32 data1)
    {
        xcb_client_message_event_t event;
        std::memset(&event, 0, sizeof event);
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = message;
        event.data.data32[0] = data0;
        event.data.data32[1] = data1;
        xcb_send_event(c, 0, target, mask, reinterpret_cast<const char *>(&event));
        // A round trip: the request has reached the server when this returns.
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }
};

std::unique_ptr<X11Windows> X11Windows::connect(const QByteArray &display)
{
    if (display.isEmpty() && !std::getenv("DISPLAY"))
        return nullptr;
    auto x = std::make_unique<Connection>();
    int screenNumber = 0;
    x->c = xcb_connect(display.isEmpty() ? nullptr : display.constData(), &screenNumber);
    if (!x->c || xcb_connection_has_error(x->c))
        return nullptr;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(x->c));
    for (int i = 0; it.rem && i < screenNumber; ++i)
        xcb_screen_next(&it);
    if (!it.rem)
        return nullptr;
    x->root = it.data->root;
    return std::unique_ptr<X11Windows>(new X11Windows(std::move(x)));
}

X11Windows::X11Windows(std::unique_ptr<Connection> connection) : m_x(std::move(connection)) {}
X11Windows::~X11Windows() = default;

std::optional<TopLevelWindows::Handle> X11Windows::find(const QString &title)
{
    const xcb_atom_t clientList = m_x->atom("_NET_CLIENT_LIST");
    const xcb_atom_t netName = m_x->atom("_NET_WM_NAME");
    const xcb_atom_t utf8 = m_x->atom("UTF8_STRING");
    QList<xcb_window_t> windows;
    const QByteArray list = m_x->property(m_x->root, clientList, XCB_ATOM_WINDOW);
    for (qsizetype i = 0; i + qsizetype(sizeof(xcb_window_t)) <= list.size(); i += sizeof(xcb_window_t)) {
        xcb_window_t w;
        std::memcpy(&w, list.constData() + i, sizeof w);
        windows << w;
    }
    if (windows.isEmpty()) {
        // Without a window manager: the children of the root window.
        xcb_query_tree_reply_t *tree = xcb_query_tree_reply(m_x->c, xcb_query_tree(m_x->c, m_x->root), nullptr);
        if (tree) {
            const xcb_window_t *children = xcb_query_tree_children(tree);
            for (int i = 0; i < xcb_query_tree_children_length(tree); ++i)
                windows << children[i];
            std::free(tree);
        }
    }
    for (xcb_window_t w : windows) {
        QByteArray name = m_x->property(w, netName, utf8);
        const QString text = !name.isEmpty() ? QString::fromUtf8(name)
                                             : QString::fromLatin1(m_x->property(w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING));
        if (text == title)
            return Handle(w);
    }
    return std::nullopt;
}

void X11Windows::close(Handle window)
{
    // The window's own close request, as its close box sends it; it reaches
    // the program that owns the window, with or without a window manager.
    const auto w = xcb_window_t(window);
    m_x->send(w, XCB_EVENT_MASK_NO_EVENT, w, m_x->atom("WM_PROTOCOLS"), m_x->atom("WM_DELETE_WINDOW"),
              XCB_CURRENT_TIME);
}

void X11Windows::bringToTop(Handle window)
{
    const auto w = xcb_window_t(window);
    const quint32 above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(m_x->c, w, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    m_x->send(m_x->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY, w,
              m_x->atom("_NET_ACTIVE_WINDOW"), 2, XCB_CURRENT_TIME);
}

#else

struct X11Windows::Connection {};

std::unique_ptr<X11Windows> X11Windows::connect(const QByteArray &)
{
    return nullptr;
}

X11Windows::X11Windows(std::unique_ptr<Connection> connection) : m_x(std::move(connection)) {}
X11Windows::~X11Windows() = default;
std::optional<TopLevelWindows::Handle> X11Windows::find(const QString &) { return std::nullopt; }
void X11Windows::close(Handle) {}
void X11Windows::bringToTop(Handle) {}

#endif

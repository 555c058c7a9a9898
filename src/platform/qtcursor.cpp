#include "platform/qtcursor.h"

#include <QCursor>
#include <QGuiApplication>
#include <QWidget>

#if defined(ORRINET_HAVE_XCB)
#include <cstdlib>
#include <xcb/xcb.h>
#endif

namespace orrinet {

namespace {

#if defined(ORRINET_HAVE_XCB)
xcb_connection_t *x11Connection()
{
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}
#endif

} // namespace

QtCursor::~QtCursor()
{
    release();
}

bool QtCursor::confine(QWidget &window, const QRect &)
{
#if defined(ORRINET_HAVE_XCB)
    xcb_connection_t *connection = x11Connection();
    if (!connection || !window.isVisible())
        return false;
    // The grab confines to a window, so the pad needs one of its own; its
    // parents stay as they are.
    window.setAttribute(Qt::WA_DontCreateNativeAncestors);
    const auto native = static_cast<xcb_window_t>(window.winId());
    constexpr uint16_t events = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                                XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_ENTER_WINDOW |
                                XCB_EVENT_MASK_LEAVE_WINDOW;
    const xcb_grab_pointer_cookie_t cookie =
        xcb_grab_pointer(connection, 1, native, events, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC,
                         native, XCB_NONE, XCB_CURRENT_TIME);
    xcb_grab_pointer_reply_t *reply = xcb_grab_pointer_reply(connection, cookie, nullptr);
    m_grabbed = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
    std::free(reply);
    return m_grabbed;
#else
    (void)window;
    return false;
#endif
}

void QtCursor::release()
{
    if (!m_grabbed)
        return;
    m_grabbed = false;
#if defined(ORRINET_HAVE_XCB)
    if (xcb_connection_t *connection = x11Connection()) {
        xcb_ungrab_pointer(connection, XCB_CURRENT_TIME);
        xcb_flush(connection);
    }
#endif
}

QPoint QtCursor::position() const
{
    return QCursor::pos();
}

void QtCursor::warp(const QPoint &to)
{
    QCursor::setPos(to);
}

} // namespace orrinet

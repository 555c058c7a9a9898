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

bool QtCursor::confine(QWidget &window, const QRect &area)
{
    release();
#if defined(ORRINET_HAVE_XCB)
    xcb_connection_t *connection = x11Connection();
    QWidget *top = window.window();
    if (!connection || !window.isVisible() || !top->windowHandle())
        return false;
    // The grab confines to a window: an input-only one of exactly the area,
    // inside the top-level window. It selects nothing, so the pointer's
    // events pass through it to the top level as before and Qt hands them
    // to the widget under the pointer.
    const auto topWindow = static_cast<xcb_window_t>(top->winId());
    const qreal ratio = top->devicePixelRatioF();
    const QPoint at = top->mapFromGlobal(area.topLeft()) * ratio;
    const QSize size = area.size() * ratio;
    if (size.isEmpty())
        return false;
    m_fence = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, m_fence, topWindow,
                      static_cast<int16_t>(at.x()), static_cast<int16_t>(at.y()),
                      static_cast<uint16_t>(size.width()), static_cast<uint16_t>(size.height()), 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_map_window(connection, m_fence);
    constexpr uint16_t events = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                                XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_ENTER_WINDOW |
                                XCB_EVENT_MASK_LEAVE_WINDOW;
    const xcb_grab_pointer_cookie_t cookie =
        xcb_grab_pointer(connection, 1, topWindow, events, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC,
                         m_fence, XCB_NONE, XCB_CURRENT_TIME);
    xcb_grab_pointer_reply_t *reply = xcb_grab_pointer_reply(connection, cookie, nullptr);
    const bool grabbed = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
    std::free(reply);
    if (!grabbed) {
        // Another program holds the pointer: nothing of ours stays behind.
        xcb_destroy_window(connection, m_fence);
        xcb_flush(connection);
        m_fence = 0;
        return false;
    }
    return true;
#else
    (void)window;
    (void)area;
    return false;
#endif
}

void QtCursor::release()
{
    if (!m_fence)
        return;
#if defined(ORRINET_HAVE_XCB)
    if (xcb_connection_t *connection = x11Connection()) {
        xcb_ungrab_pointer(connection, XCB_CURRENT_TIME);
        xcb_destroy_window(connection, m_fence);
        xcb_flush(connection);
    }
#endif
    m_fence = 0;
}

QPoint QtCursor::position() const
{
    return QCursor::pos();
}

void QtCursor::warp(const QPoint &to)
{
    QCursor::setPos(to);
    // A round trip: the server has moved the pointer before any further
    // input is handled, so the echo comes in order with later movements.
    (void)QCursor::pos();
}

} // namespace orrinet

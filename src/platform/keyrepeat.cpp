#include "platform/keyrepeat.h"

#include <QGuiApplication>

#if defined(ORRINET_HAVE_XCB_XKB)
#include <cstdlib>
#include <xcb/xcb.h>
// The XKB header names a member "explicit", a keyword of C++.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wkeyword-macro"
#endif
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit
#if defined(__clang__)
#pragma clang diagnostic pop
#endif
#endif

namespace orrinet {

bool useDetectableKeyRepeat()
{
#if defined(ORRINET_HAVE_XCB_XKB)
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;
    // The flag belongs to our client; Qt has already enabled the extension
    // on this connection, but asking again is harmless and keeps this whole.
    free(xcb_xkb_use_extension_reply(
        connection, xcb_xkb_use_extension(connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION),
        nullptr));
    constexpr uint32_t detectable = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    xcb_xkb_per_client_flags_reply_t *reply =
        xcb_xkb_per_client_flags_reply(connection,
                                       xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD,
                                                                detectable, detectable, 0, 0, 0),
                                       nullptr);
    const bool on = reply && (reply->value & detectable);
    free(reply);
    return on;
#else
    return false;
#endif
}

} // namespace orrinet

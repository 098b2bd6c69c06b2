#include "ui/TrayArrival.h"

#include <QGuiApplication>

#include <cstdlib>
#include <cstring>

#include <xcb/xcb.h>

namespace pintora {

TrayArrival::TrayArrival(QObject *parent)
    : QObject(parent)
{
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    const char name[] = "MANAGER";
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    if (!reply)
        return;
    m_manager = reply->atom;
    std::free(reply);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

TrayArrival::~TrayArrival()
{
    if (m_manager)
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool TrayArrival::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE
        && reinterpret_cast<const xcb_client_message_event_t *>(event)->type == m_manager)
        emit announced();
    return false; // Qt's own tray code hears it too
}

} // namespace pintora

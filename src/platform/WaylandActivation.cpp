#include "platform/WaylandActivation.h"

#include <QGuiApplication>
#include <QWindow>

#ifdef QUILLET_WAYLAND_ACTIVATION
#include "xdg-activation-v1-client-protocol.h"

#include <qpa/qplatformnativeinterface.h>
#include <wayland-client.h>

#include <cstring>
#endif

namespace WaylandActivation {

#ifdef QUILLET_WAYLAND_ACTIVATION
namespace {

// Our own view of the compositor's globals, on a queue of our own so that Qt's queue is not run here.
struct Globals
{
    xdg_activation_v1* activation = nullptr;
    wl_seat* seat = nullptr;
};

void addGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
{
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, xdg_activation_v1_interface.name) == 0 && !globals->activation)
        globals->activation = static_cast<xdg_activation_v1*>(
            wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1));
    else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !globals->seat)
        globals->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
}

void removeGlobal(void*, wl_registry*, uint32_t) {}

constexpr wl_registry_listener RegistryListener{addGlobal, removeGlobal};

void tokenDone(void* data, xdg_activation_token_v1*, const char* token)
{
    *static_cast<QByteArray*>(data) = QByteArray(token);
}

constexpr xdg_activation_token_v1_listener TokenListener{tokenDone};

QByteArray requestFrom(wl_display* display, wl_event_queue* queue, wl_surface* surface)
{
    auto* wrapped = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapped), queue);
    wl_registry* registry = wl_display_get_registry(wrapped);
    Globals globals;
    wl_registry_add_listener(registry, &RegistryListener, &globals);
    wl_display_roundtrip_queue(display, queue);

    QByteArray token;
    if (globals.activation) {
        xdg_activation_token_v1* request = xdg_activation_v1_get_activation_token(globals.activation);
        xdg_activation_token_v1_add_listener(request, &TokenListener, &token);
        // The serial of the user's last key press or click is what lets the compositor tell a request of
        // the user from a program stealing the focus. Qt has one only where the compositor has a seat.
        QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
        if (globals.seat) {
            const auto serial = quintptr(native->nativeResourceForIntegration("serial"));
            xdg_activation_token_v1_set_serial(request, uint32_t(serial), globals.seat);
        }
        xdg_activation_token_v1_set_surface(request, surface);
        xdg_activation_token_v1_set_app_id(request, QGuiApplication::desktopFileName().toUtf8().constData());
        xdg_activation_token_v1_commit(request);
        // The compositor answers before it answers the roundtrip's own request.
        for (int i = 0; i < 3 && token.isEmpty(); ++i) {
            if (wl_display_roundtrip_queue(display, queue) < 0)
                break;
        }
        xdg_activation_token_v1_destroy(request);
        xdg_activation_v1_destroy(globals.activation);
    }
    if (globals.seat)
        wl_seat_destroy(globals.seat);
    wl_registry_destroy(registry);
    wl_proxy_wrapper_destroy(wrapped);
    return token;
}

} // namespace
#endif

QByteArray requestToken(QWindow* window)
{
#ifdef QUILLET_WAYLAND_ACTIVATION
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    if (!native || !window || !window->handle() || !window->isVisible() ||
        !QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return {};
    auto* display = static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
    auto* surface = static_cast<wl_surface*>(native->nativeResourceForWindow("surface", window));
    if (!display || !surface)
        return {};
    wl_event_queue* queue = wl_display_create_queue(display);
    const QByteArray token = requestFrom(display, queue, surface);
    wl_event_queue_destroy(queue);
    return token;
#else
    Q_UNUSED(window);
    return {};
#endif
}

} // namespace WaylandActivation

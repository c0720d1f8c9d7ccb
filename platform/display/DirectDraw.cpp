#include "DirectDraw.h"

#include "XRandRDirectDraw.h"

#include <xcb/xcb.h>

#include <memory>

namespace {
DirectDrawFactory& factory() {
    static DirectDrawFactory current;
    return current;
}
}  // namespace

void SetDirectDrawFactory(DirectDrawFactory f) { factory() = std::move(f); }

HRESULT DirectDrawCreate(void* driverGuid, IDirectDraw** directDraw, void* outer) {
    if (directDraw == nullptr || driverGuid != nullptr || outer != nullptr) return DDERR_INVALIDPARAMS;
    *directDraw = nullptr;
    if (factory()) return factory()(directDraw);
    return CreateXRandRDirectDraw(directDraw);
}

bool DisplayServerReachable() {
    // libxcb, not Xlib: XOpenDisplay prints the server's reason to stderr when it refuses us
    // ("Authorization required, ..."), and the program must end without a word then.
    // xcb_connect returns an object in an error state rather than null; it must be freed too.
    std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> connection(xcb_connect(nullptr, nullptr),
                                                                              xcb_disconnect);
    return connection != nullptr && xcb_connection_has_error(connection.get()) == 0;
}

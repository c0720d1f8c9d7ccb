#include "DirectDraw.h"

#include "XRandRDirectDraw.h"

#include <fcntl.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdio>
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
    // A server that refuses us has libxcb write its reason ("Authorization required, ...")
    // straight to file descriptor 2, and the program must end without a word then. So stderr
    // points at /dev/null for the moment of the connect. The process entry asks this before
    // any other thread exists, so no one else's output can be lost in between.
    std::fflush(stderr);
    const int savedStderr = dup(STDERR_FILENO);
    const int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (savedStderr >= 0 && devNull >= 0) dup2(devNull, STDERR_FILENO);
    // xcb_connect returns an object in an error state rather than null; it must be freed too.
    std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> connection(xcb_connect(nullptr, nullptr),
                                                                              xcb_disconnect);
    const bool reachable = connection != nullptr && xcb_connection_has_error(connection.get()) == 0;
    if (savedStderr >= 0 && devNull >= 0) dup2(savedStderr, STDERR_FILENO);
    if (devNull >= 0) close(devNull);
    if (savedStderr >= 0) close(savedStderr);
    return reachable;
}

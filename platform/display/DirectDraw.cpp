#include "DirectDraw.h"

#include "XRandRDirectDraw.h"

#include <X11/Xlib.h>

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
    std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(nullptr), XCloseDisplay);
    return display != nullptr;
}

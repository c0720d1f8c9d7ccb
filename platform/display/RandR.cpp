#include "RandR.h"

#include <algorithm>

namespace {
XErrorTrap* innermostTrap = nullptr;

XCrtcInfoPtr crtcInfo(Display* display, XRRScreenResources* resources, RRCrtc crtc) {
    return XCrtcInfoPtr(XRRGetCrtcInfo(display, resources, crtc));
}

const XRRModeInfo* modeInfo(const XRRScreenResources* resources, RRMode id) {
    for (int i = 0; i < resources->nmode; ++i) {
        if (resources->modes[i].id == id) return &resources->modes[i];
    }
    return nullptr;
}

double refreshOf(const XRRModeInfo& mode) {
    if (mode.hTotal == 0 || mode.vTotal == 0) return 0;
    double lines = mode.vTotal;
    if ((mode.modeFlags & RR_DoubleScan) != 0) lines *= 2;
    if ((mode.modeFlags & RR_Interlace) != 0) lines /= 2;
    return static_cast<double>(mode.dotClock) / (static_cast<double>(mode.hTotal) * lines);
}

CrtcLayout layoutOf(RRCrtc crtc, const XRRCrtcInfo& info) {
    CrtcLayout layout;
    layout.crtc = crtc;
    layout.mode = info.mode;
    layout.x = info.x;
    layout.y = info.y;
    layout.rotation = info.rotation;
    layout.outputs.assign(info.outputs, info.outputs + info.noutput);
    return layout;
}

bool connectedOutput(Display* display, XRRScreenResources* resources, RROutput output, XOutputInfoPtr& info) {
    info.reset(XRRGetOutputInfo(display, resources, output));
    return info && info->connection == RR_Connected && info->nmode > 0;
}
}  // namespace

XDisplayPtr OpenXDisplay(const char* name) { return XDisplayPtr(XOpenDisplay(name)); }

XErrorTrap::XErrorTrap(Display* display) : display_(display), outer_(innermostTrap) {
    // Errors of requests sent before the trap belong to whoever sent them.
    XSync(display_, False);
    innermostTrap = this;
    previousHandler_ = XSetErrorHandler(&XErrorTrap::onError);
}

XErrorTrap::~XErrorTrap() {
    XSync(display_, False);
    XSetErrorHandler(previousHandler_);
    innermostTrap = outer_;
}

int XErrorTrap::sync() {
    XSync(display_, False);
    return firstError_;
}

int XErrorTrap::onError(Display* display, XErrorEvent* event) {
    for (XErrorTrap* trap = innermostTrap; trap != nullptr; trap = trap->outer_) {
        if (trap->display_ == display) {
            if (trap->firstError_ == 0) trap->firstError_ = event->error_code;
            return 0;
        }
    }
    // Another connection's error (Qt's Xlib display, for one): the handler that was there
    // before the outermost trap decides.
    XErrorTrap* outermost = innermostTrap;
    while (outermost != nullptr && outermost->outer_ != nullptr) outermost = outermost->outer_;
    return outermost != nullptr && outermost->previousHandler_ != nullptr ? outermost->previousHandler_(display, event)
                                                                          : 0;
}

bool HasRandrCrtcs(Display* display) {
    int eventBase = 0;
    int errorBase = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase)) return false;
    int major = 0;
    int minor = 0;
    if (!XRRQueryVersion(display, &major, &minor)) return false;
    return major > 1 || (major == 1 && minor >= 2);
}

XScreenResourcesPtr ScreenResources(Display* display) {
    // The current resources: asking the server to probe the outputs again can take a noticeable
    // time on real hardware, and the server keeps them up to date on hot-plug anyway.
    return XScreenResourcesPtr(XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display)));
}

std::optional<PrimaryOutput> FindPrimaryOutput(Display* display, XRRScreenResources* resources) {
    XOutputInfoPtr info;
    RROutput chosen = XRRGetOutputPrimary(display, DefaultRootWindow(display));
    if (chosen == None || !connectedOutput(display, resources, chosen, info)) {
        chosen = None;
        for (int i = 0; i < resources->noutput && chosen == None; ++i) {
            if (connectedOutput(display, resources, resources->outputs[i], info)) chosen = resources->outputs[i];
        }
    }
    if (chosen == None) return std::nullopt;

    PrimaryOutput primary;
    primary.output = chosen;
    primary.crtc = info->crtc;
    if (primary.crtc == None) {
        // A connected output that is off: the first of its CRTCs that drives nothing else.
        for (int i = 0; i < info->ncrtc && primary.crtc == None; ++i) {
            XCrtcInfoPtr candidate = crtcInfo(display, resources, info->crtcs[i]);
            if (candidate && candidate->noutput == 0) primary.crtc = info->crtcs[i];
        }
    }
    std::uint16_t rotation = RR_Rotate_0;
    if (primary.crtc != None) {
        if (XCrtcInfoPtr current = crtcInfo(display, resources, primary.crtc)) {
            primary.current = layoutOf(primary.crtc, *current);
            rotation = current->rotation;
        }
    }
    for (int i = 0; i < info->nmode; ++i) {
        const XRRModeInfo* mode = modeInfo(resources, info->modes[i]);
        if (mode == nullptr) continue;
        primary.modes.push_back({mode->id, RotatedSize({mode->width, mode->height}, rotation), refreshOf(*mode)});
    }
    return primary;
}

ScreenLayout CurrentScreen(Display* display) {
    XSync(display, False);
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        XRRUpdateConfiguration(&event);
    }
    const int screen = DefaultScreen(display);
    return {static_cast<std::uint32_t>(DisplayWidth(display, screen)),
            static_cast<std::uint32_t>(DisplayHeight(display, screen)),
            static_cast<std::uint32_t>(DisplayWidthMM(display, screen)),
            static_cast<std::uint32_t>(DisplayHeightMM(display, screen))};
}

int ScreenBitsPerPixel(Display* display) {
    const int depth = DefaultDepth(display, DefaultScreen(display));
    int count = 0;
    std::unique_ptr<XPixmapFormatValues, int (*)(void*)> formats(XListPixmapFormats(display, &count), XFree);
    for (int i = 0; formats && i < count; ++i) {
        if (formats.get()[i].depth == depth) return formats.get()[i].bits_per_pixel;
    }
    return depth;
}

bool ApplyLayout(Display* display, const CrtcLayout& target, const ScreenLayout& screen) {
    const Window root = DefaultRootWindow(display);
    // Our connection learns of its own screen changes through these notifications.
    XRRSelectInput(display, root, RRScreenChangeNotifyMask);
    const ScreenLayout before = CurrentScreen(display);

    XErrorTrap trap(display);
    XGrabServer(display);
    bool ok = true;
    XScreenResourcesPtr resources = ScreenResources(display);
    if (!resources) {
        XUngrabServer(display);
        return false;
    }

    ScreenLayout size = screen;
    XCrtcInfoPtr ours;
    for (int i = 0; i < resources->ncrtc; ++i) {
        XCrtcInfoPtr info = crtcInfo(display, resources.get(), resources->crtcs[i]);
        if (!info) continue;
        if (resources->crtcs[i] == target.crtc) {
            ours = std::move(info);
            continue;
        }
        // A CRTC we do not touch keeps its place: the screen grows to hold it.
        if (info->mode != None) {
            size.width = std::max<std::uint32_t>(size.width, info->x + info->width);
            size.height = std::max<std::uint32_t>(size.height, info->y + info->height);
        }
    }
    if (!ours) {
        XUngrabServer(display);
        return false;
    }

    const CrtcLayout now = layoutOf(target.crtc, *ours);
    bool crtcOff = now.mode == None;
    if (!crtcOff && (ours->x + ours->width > size.width || ours->y + ours->height > size.height)) {
        ok = XRRSetCrtcConfig(display, resources.get(), target.crtc, CurrentTime, 0, 0, None, RR_Rotate_0, nullptr,
                              0) == RRSetConfigSuccess &&
             ok;
        crtcOff = true;
    }
    if (!(size == before)) {
        XRRSetScreenSize(display, root, static_cast<int>(size.width), static_cast<int>(size.height),
                         static_cast<int>(size.widthMm), static_cast<int>(size.heightMm));
    }
    if (target.mode == None) {
        if (!crtcOff) {
            ok = XRRSetCrtcConfig(display, resources.get(), target.crtc, CurrentTime, 0, 0, None, RR_Rotate_0,
                                  nullptr, 0) == RRSetConfigSuccess &&
                 ok;
        }
    } else if (crtcOff || !(now == target)) {
        std::vector<RROutput> outputs(target.outputs.begin(), target.outputs.end());
        ok = XRRSetCrtcConfig(display, resources.get(), target.crtc, CurrentTime, target.x, target.y, target.mode,
                              target.rotation, outputs.data(), static_cast<int>(outputs.size())) ==
                 RRSetConfigSuccess &&
             ok;
    }
    XUngrabServer(display);
    return trap.sync() == 0 && ok;
}

std::optional<SavedDisplay> CaptureLayout(Display* display, RRCrtc crtc) {
    XErrorTrap trap(display);
    XRRSelectInput(display, DefaultRootWindow(display), RRScreenChangeNotifyMask);
    SavedDisplay saved;
    saved.displayName = DisplayString(display);
    saved.screen = CurrentScreen(display);
    XScreenResourcesPtr resources = ScreenResources(display);
    if (!resources) return std::nullopt;
    XCrtcInfoPtr info = crtcInfo(display, resources.get(), crtc);
    if (!info || trap.sync() != 0) return std::nullopt;
    saved.crtc = layoutOf(crtc, *info);
    return saved;
}

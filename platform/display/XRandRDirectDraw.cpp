#include "XRandRDirectDraw.h"

// Qt's headers come before Xlib's: Xlib defines macros (Bool, Status, None) that Qt's would trip on.
#include <QCoreApplication>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include "RandR.h"
#include "WatchdogLink.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {
// A size the layer offers, with the first of the output's modes of that size (the one a switch
// uses); without RandR, the screen's one size with no mode behind it.
struct OfferedMode {
    ModeSize size;
    RRMode id = None;
    double refreshHz = 0;
};

class XRandRDirectDraw;

// DirectDraw's exclusive level belongs to one object at a time. The exit hook restores through it.
XRandRDirectDraw* exclusiveOwner = nullptr;
pid_t exclusiveOwnerProcess = 0;
bool exitHookRegistered = false;

void restoreAtExit();

bool matchesFilter(const DDSURFACEDESC& filter, const DDSURFACEDESC& mode) {
    if ((filter.dwFlags & DDSD_WIDTH) != 0 && filter.dwWidth != mode.dwWidth) return false;
    if ((filter.dwFlags & DDSD_HEIGHT) != 0 && filter.dwHeight != mode.dwHeight) return false;
    if ((filter.dwFlags & DDSD_PIXELFORMAT) != 0 &&
        filter.ddpfPixelFormat.dwRGBBitCount != mode.ddpfPixelFormat.dwRGBBitCount) {
        return false;
    }
    return true;
}

class XRandRDirectDraw final : public IDirectDraw {
public:
    explicit XRandRDirectDraw(XDisplayPtr display) : display_(std::move(display)) { readModes(); }

    HRESULT EnumDisplayModes(std::uint32_t, DDSURFACEDESC* filter, void* context,
                             LPDDENUMMODESCALLBACK callback) override {
        if (callback == nullptr) return DDERR_INVALIDPARAMS;
        for (const OfferedMode& mode : offered_) {
            DDSURFACEDESC description = describe(mode);
            if (filter != nullptr && !matchesFilter(*filter, description)) continue;
            if (callback(&description, context) == DDENUMRET_CANCEL) break;
        }
        return DD_OK;
    }

    HRESULT SetCooperativeLevel(HWND window, std::uint32_t flags) override {
        if (flags == (DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE)) {
            if (window == nullptr) return DDERR_INVALIDPARAMS;
            if (exclusiveOwner != nullptr && exclusiveOwner != this) return DDERR_EXCLUSIVEMODEALREADYSET;
            if (window_ != window) uncoverWindow();
            window_ = window;
            exclusiveOwner = this;
            exclusiveOwnerProcess = getpid();
            return DD_OK;
        }
        if (flags == DDSCL_NORMAL) {
            giveUpExclusive();
            window_ = window;
            return DD_OK;
        }
        return DDERR_INVALIDPARAMS;
    }

    HRESULT SetDisplayMode(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel) override {
        if (exclusiveOwner != this) return DDERR_NOEXCLUSIVEMODE;
        const OfferedMode* mode = nullptr;
        for (const OfferedMode& offered : offered_) {
            if (offered.size == ModeSize{width, height}) mode = &offered;
        }
        if (mode == nullptr) return DDERR_INVALIDMODE;
        if (bitsPerPixel != bitsPerPixel_) return DDERR_UNSUPPORTEDMODE;

        QRect area(0, 0, static_cast<int>(width), static_cast<int>(height));
        if (mode->id != None) {
            const HRESULT switched = switchTo(*mode, area);
            if (switched != DD_OK) return switched;
        }
        coverWindow(area);
        return DD_OK;
    }

    std::uint32_t Release() override {
        giveUpExclusive();
        delete this;
        return 0;
    }

    // From the exit hook: Qt's objects may be gone, so only the display comes back.
    void restoreDisplayAtExit() { restoreDisplay(false); }

private:
    ~XRandRDirectDraw() override {
        if (exclusiveOwner == this) exclusiveOwner = nullptr;
        QObject::disconnect(quitHook_);
    }

    void readModes() {
        Display* display = display_.get();
        const int screen = DefaultScreen(display);
        bitsPerPixel_ = static_cast<std::uint32_t>(ScreenBitsPerPixel(display));
        const Visual* visual = DefaultVisual(display, screen);
        redMask_ = static_cast<std::uint32_t>(visual->red_mask);
        greenMask_ = static_cast<std::uint32_t>(visual->green_mask);
        blueMask_ = static_cast<std::uint32_t>(visual->blue_mask);

        if (HasRandrCrtcs(display)) {
            // An output unplugged between two requests answers with an error; then the screen
            // as it is stands in for the output's modes.
            XErrorTrap trap(display);
            if (XScreenResourcesPtr resources = ScreenResources(display)) {
                output_ = FindPrimaryOutput(display, resources.get());
            }
            if (trap.sync() != 0) output_.reset();
        }
        if (output_ && output_->crtc != None && !output_->modes.empty()) {
            std::vector<ModeSize> sizes;
            for (const OutputMode& mode : output_->modes) sizes.push_back(mode.size);
            for (const ModeSize& size : DistinctSizes(sizes)) {
                for (const OutputMode& mode : output_->modes) {
                    if (mode.size == size) {
                        offered_.push_back({size, mode.id, mode.refreshHz});
                        break;
                    }
                }
            }
            return;
        }
        // No RandR (or nothing RandR can switch): the screen as it is is the one mode.
        output_.reset();
        const ScreenLayout current = CurrentScreen(display);
        offered_.push_back({{current.width, current.height}, None, 0});
    }

    DDSURFACEDESC describe(const OfferedMode& mode) const {
        DDSURFACEDESC description;
        description.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
        description.dwWidth = mode.size.width;
        description.dwHeight = mode.size.height;
        description.lPitch = static_cast<std::int32_t>(mode.size.width * bitsPerPixel_ / 8);
        if (mode.refreshHz > 0) {
            description.dwFlags |= DDSD_REFRESHRATE;
            description.dwRefreshRate = static_cast<std::uint32_t>(std::lround(mode.refreshHz));
        }
        description.ddpfPixelFormat.dwFlags = DDPF_RGB;
        description.ddpfPixelFormat.dwRGBBitCount = bitsPerPixel_;
        description.ddpfPixelFormat.dwRBitMask = redMask_;
        description.ddpfPixelFormat.dwGBitMask = greenMask_;
        description.ddpfPixelFormat.dwBBitMask = blueMask_;
        return description;
    }

    // Switches the output's CRTC to the mode; `area` becomes the part of the screen it shows.
    HRESULT switchTo(const OfferedMode& mode, QRect& area) {
        Display* display = display_.get();
        if (!original_) {
            // The first switch: remember the desktop's layout and hand it to the watchdog before
            // anything changes, so that no way of ending leaves the mode switched.
            original_ = CaptureLayout(display, output_->crtc);
            if (!original_) return DDERR_GENERIC;
            watchdog_ = WatchdogLink::start(*original_);
            if (!watchdog_) {
                original_.reset();
                return DDERR_GENERIC;
            }
            hookExit();
        }

        const CrtcLayout& before = original_->crtc;
        CrtcLayout target = before;
        target.mode = mode.id;
        if (before.mode == None) {
            // The output was off: it comes on at the origin, unrotated, alone on its CRTC.
            target.x = 0;
            target.y = 0;
            target.rotation = RR_Rotate_0;
            target.outputs = {output_->output};
        }
        int minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
        XRRGetScreenSizeRange(display, DefaultRootWindow(display), &minWidth, &minHeight, &maxWidth, &maxHeight);
        const ScreenRect ours{target.x, target.y, mode.size.width, mode.size.height};
        const ScreenRect bounds = BoundingScreen({ours}, static_cast<std::uint32_t>(minWidth),
                                                 static_cast<std::uint32_t>(minHeight));
        if (bounds.width > static_cast<std::uint32_t>(maxWidth) || bounds.height > static_cast<std::uint32_t>(maxHeight)) {
            restoreDisplay(true);
            return DDERR_UNSUPPORTEDMODE;
        }
        if (!ApplyLayout(display, target, WithSameDensity(original_->screen, bounds.width, bounds.height))) {
            restoreDisplay(true);
            return DDERR_GENERIC;
        }
        area = QRect(target.x, target.y, static_cast<int>(mode.size.width), static_cast<int>(mode.size.height));
        return DD_OK;
    }

    void hookExit() {
        if (!exitHookRegistered) exitHookRegistered = std::atexit(restoreAtExit) == 0;
        // The window closed during playback ends the event loop with the display switched: put
        // it back while Qt and the window are still there.
        if (QCoreApplication* application = QCoreApplication::instance()) {
            quitHook_ = QObject::connect(application, &QCoreApplication::aboutToQuit, application,
                                         [this] { restoreDisplay(true); });
        }
    }

    // False once the server has closed our connection: Xlib would end the process on its use.
    bool connectionAlive() const {
        pollfd connection{ConnectionNumber(display_.get()), POLLIN, 0};
        if (poll(&connection, 1, 0) < 0) return false;
        if ((connection.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return false;
        if ((connection.revents & POLLIN) == 0) return true;
        char byte = 0;
        return recv(connection.fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) > 0;
    }

    // Puts the desktop's layout back, if this object switched it. The watchdog does it when our
    // own connection cannot.
    void restoreDisplay(bool withQt) {
        if (original_) {
            const bool restored = connectionAlive() && ApplyLayout(display_.get(), original_->crtc, original_->screen);
            if (restored) {
                watchdog_->released();
            } else {
                watchdog_->restoreNow();
            }
            watchdog_.reset();
            original_.reset();
            if (withQt) QObject::disconnect(quitHook_);
        }
        if (withQt) uncoverWindow();
    }

    void giveUpExclusive() {
        restoreDisplay(true);
        if (exclusiveOwner == this) exclusiveOwner = nullptr;
    }

    // The exclusive window fills the switched display and stays above everything else. With a
    // window manager that takes the EWMH full-screen state (which also lifts the window above
    // panels); without one, the geometry and the raise do it. X delivers the new screen size to
    // Qt later, so the geometry comes from the mode, not from QScreen. The minimum size would
    // keep the window larger than a small mode, so it is lifted until the window is uncovered.
    void coverWindow(const QRect& area) {
        QWidget* window = window_;
        if (window == nullptr) return;
        if (!covered_) {
            savedMinimum_ = window->minimumSize();
            savedMaximum_ = window->maximumSize();
            addedFullScreen_ = !window->isFullScreen();
            covered_ = true;
        }
        window->setMinimumSize(0, 0);
        window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        window->setGeometry(area);
        window->setWindowState(window->windowState() | Qt::WindowFullScreen);
        window->raise();
        window->activateWindow();
    }

    // Takes the window out of the state coverWindow put it in; its bounds are the caller's.
    void uncoverWindow() {
        if (!covered_) return;
        covered_ = false;
        QWidget* window = window_;
        if (window == nullptr) return;
        if (addedFullScreen_) window->setWindowState(window->windowState() & ~Qt::WindowFullScreen);
        window->setMaximumSize(savedMaximum_);
        window->setMinimumSize(savedMinimum_);
    }

    XDisplayPtr display_;
    std::uint32_t bitsPerPixel_ = 0;
    std::uint32_t redMask_ = 0;
    std::uint32_t greenMask_ = 0;
    std::uint32_t blueMask_ = 0;
    std::optional<PrimaryOutput> output_;  // none without RandR
    std::vector<OfferedMode> offered_;

    QPointer<QWidget> window_;
    bool covered_ = false;
    bool addedFullScreen_ = false;
    QSize savedMinimum_;
    QSize savedMaximum_;

    std::optional<SavedDisplay> original_;  // set from the first switch until the layout is back
    std::unique_ptr<WatchdogLink> watchdog_;
    QMetaObject::Connection quitHook_;
};

void restoreAtExit() {
    // A child forked without exec runs this too; only the process that switched restores.
    if (exclusiveOwner != nullptr && exclusiveOwnerProcess == getpid()) exclusiveOwner->restoreDisplayAtExit();
}
}  // namespace

HRESULT CreateXRandRDirectDraw(IDirectDraw** directDraw) {
    *directDraw = nullptr;
    XDisplayPtr display = OpenXDisplay(nullptr);
    if (!display) return DDERR_NODIRECTDRAWHW;
    *directDraw = new XRandRDirectDraw(std::move(display));
    return DD_OK;
}

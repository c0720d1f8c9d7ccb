// The XRandR calls of the display layer and of zukineo-watchdog: every X handle owned by a
// unique_ptr, X errors trapped instead of ending the process, and the one way a layout changes.
#pragma once

#include "RandrLayout.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <memory>
#include <optional>
#include <vector>

struct XDisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
struct XScreenResourcesFree {
    void operator()(XRRScreenResources* resources) const { XRRFreeScreenResources(resources); }
};
struct XOutputInfoFree {
    void operator()(XRROutputInfo* info) const { XRRFreeOutputInfo(info); }
};
struct XCrtcInfoFree {
    void operator()(XRRCrtcInfo* info) const { XRRFreeCrtcInfo(info); }
};
using XDisplayPtr = std::unique_ptr<Display, XDisplayCloser>;
using XScreenResourcesPtr = std::unique_ptr<XRRScreenResources, XScreenResourcesFree>;
using XOutputInfoPtr = std::unique_ptr<XRROutputInfo, XOutputInfoFree>;
using XCrtcInfoPtr = std::unique_ptr<XRRCrtcInfo, XCrtcInfoFree>;

// Opens a connection to the named display (nullptr: $DISPLAY). Prints nothing when it fails.
XDisplayPtr OpenXDisplay(const char* name);

// While one lives, X errors of its display are recorded instead of reaching Xlib's handler,
// whose default ends the process (and Qt's, which drops them silently). Traps nest; one
// thread only.
class XErrorTrap {
public:
    explicit XErrorTrap(Display* display);
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // Waits for the server to answer every request sent so far; the first error code, or 0.
    int sync();

private:
    static int onError(Display* display, XErrorEvent* event);

    Display* display_ = nullptr;
    int firstError_ = 0;
    XErrorTrap* outer_ = nullptr;
    int (*previousHandler_)(Display*, XErrorEvent*) = nullptr;
};

// True when the server speaks RandR 1.2 or later (CRTCs and outputs).
bool HasRandrCrtcs(Display* display);

struct OutputMode {
    RRMode id = 0;
    ModeSize size;  // as it shows on the screen, rotation applied
    double refreshHz = 0;
};

// The output the program plays on: the primary one, or the first connected one when none is
// primary.
struct PrimaryOutput {
    RROutput output = 0;
    RRCrtc crtc = 0;                // the CRTC driving it now, or a free one it can use; 0: none
    std::vector<OutputMode> modes;  // the output's own order
    CrtcLayout current;             // that CRTC now (mode 0 when off)
};

XScreenResourcesPtr ScreenResources(Display* display);
std::optional<PrimaryOutput> FindPrimaryOutput(Display* display, XRRScreenResources* resources);

// Reads the screen's current size after handling the RandR notifications that this connection
// has received (Xlib keeps DisplayWidth and friends only as fresh as those).
ScreenLayout CurrentScreen(Display* display);

// The bits per pixel of the screen's pixmap format for its root depth (32 on depth 24).
int ScreenBitsPerPixel(Display* display);

// Puts one CRTC into `target` and sizes the screen to `screen`, the way xrandr orders it:
// under a server grab, a CRTC that would not fit the new size goes off first, then the screen
// is resized, then the CRTC is set. Other CRTCs are left alone; the screen grows to keep them.
// Returns false when the server refused any step.
bool ApplyLayout(Display* display, const CrtcLayout& target, const ScreenLayout& screen);

// The layout to put back: this CRTC and the screen as they are now.
std::optional<SavedDisplay> CaptureLayout(Display* display, RRCrtc crtc);

// The arithmetic of a display layout and the one-line text form of a saved layout, shared by the
// XRandR backend and zukineo-watchdog. No X calls here, so it is tested without a server.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ModeSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool operator==(const ModeSize&) const = default;
};

// One entry per distinct size, in the order of first appearance: modes that differ only in
// refresh rate (or in timings) count once.
std::vector<ModeSize> DistinctSizes(const std::vector<ModeSize>& modes);

// The size a mode takes on the screen under a RandR rotation (RR_Rotate_90 and RR_Rotate_270
// swap width and height).
ModeSize RotatedSize(ModeSize mode, std::uint16_t rotation);

struct ScreenRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// The X screen: its size in pixels and in millimetres.
struct ScreenLayout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t widthMm = 0;
    std::uint32_t heightMm = 0;
    bool operator==(const ScreenLayout&) const = default;
};

// One CRTC's configuration. mode 0 means the CRTC is off.
struct CrtcLayout {
    std::uint64_t crtc = 0;
    std::uint64_t mode = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint16_t rotation = 1;  // RR_Rotate_0
    std::vector<std::uint64_t> outputs;
    bool operator==(const CrtcLayout&) const = default;
};

// What the first mode switch found, and what must come back whatever way the program ends.
struct SavedDisplay {
    std::string displayName;  // the X display, as the program's own connection names it
    ScreenLayout screen;
    CrtcLayout crtc;
    bool operator==(const SavedDisplay&) const = default;
};

// The smallest screen that holds every rectangle, but no smaller than the server's minimum.
ScreenRect BoundingScreen(const std::vector<ScreenRect>& crtcs, std::uint32_t minWidth, std::uint32_t minHeight);

// A new screen size keeps the screen's dots per inch, as the xrandr command keeps them: the
// vertical density of the current size applies to both directions. A screen that reports no
// physical size keeps none.
ScreenLayout WithSameDensity(const ScreenLayout& current, std::uint32_t width, std::uint32_t height);

// One line without its end: "screen W H WMM HMM crtc ID MODE X Y ROTATION N OUTPUT... display NAME".
// The display name comes last and runs to the end of the line, so it may hold spaces.
std::string EncodeSavedDisplay(const SavedDisplay& saved);
std::optional<SavedDisplay> DecodeSavedDisplay(std::string_view line);

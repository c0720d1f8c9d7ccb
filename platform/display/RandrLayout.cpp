#include "RandrLayout.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {
constexpr std::uint16_t kRotate90 = 2;   // RR_Rotate_90
constexpr std::uint16_t kRotate270 = 8;  // RR_Rotate_270
constexpr std::size_t kMaxOutputs = 64;  // more than any server has; bounds a hostile line
}  // namespace

std::vector<ModeSize> DistinctSizes(const std::vector<ModeSize>& modes) {
    std::vector<ModeSize> sizes;
    for (const ModeSize& mode : modes) {
        if (std::find(sizes.begin(), sizes.end(), mode) == sizes.end()) sizes.push_back(mode);
    }
    return sizes;
}

ModeSize RotatedSize(ModeSize mode, std::uint16_t rotation) {
    if ((rotation & (kRotate90 | kRotate270)) != 0) return {mode.height, mode.width};
    return mode;
}

ScreenRect BoundingScreen(const std::vector<ScreenRect>& crtcs, std::uint32_t minWidth, std::uint32_t minHeight) {
    // The screen always starts at 0,0; CRTCs at negative positions do not exist in RandR.
    std::int64_t right = 0;
    std::int64_t bottom = 0;
    for (const ScreenRect& rect : crtcs) {
        right = std::max<std::int64_t>(right, std::int64_t{rect.x} + rect.width);
        bottom = std::max<std::int64_t>(bottom, std::int64_t{rect.y} + rect.height);
    }
    return {0, 0, std::max<std::uint32_t>(static_cast<std::uint32_t>(right), minWidth),
            std::max<std::uint32_t>(static_cast<std::uint32_t>(bottom), minHeight)};
}

ScreenLayout WithSameDensity(const ScreenLayout& current, std::uint32_t width, std::uint32_t height) {
    ScreenLayout next{width, height, 0, 0};
    if (current.height == 0 || current.heightMm == 0) return next;
    const double millimetresPerPixel = static_cast<double>(current.heightMm) / current.height;
    next.widthMm = static_cast<std::uint32_t>(std::lround(width * millimetresPerPixel));
    next.heightMm = static_cast<std::uint32_t>(std::lround(height * millimetresPerPixel));
    return next;
}

std::string EncodeSavedDisplay(const SavedDisplay& saved) {
    std::ostringstream out;
    out << "screen " << saved.screen.width << ' ' << saved.screen.height << ' ' << saved.screen.widthMm << ' '
        << saved.screen.heightMm << " crtc " << saved.crtc.crtc << ' ' << saved.crtc.mode << ' ' << saved.crtc.x
        << ' ' << saved.crtc.y << ' ' << saved.crtc.rotation << ' ' << saved.crtc.outputs.size();
    for (std::uint64_t output : saved.crtc.outputs) out << ' ' << output;
    out << " display " << saved.displayName;
    return out.str();
}

std::optional<SavedDisplay> DecodeSavedDisplay(std::string_view line) {
    constexpr std::string_view kDisplayKey = " display ";
    const std::size_t displayAt = line.find(kDisplayKey);
    if (displayAt == std::string_view::npos) return std::nullopt;

    SavedDisplay saved;
    saved.displayName = std::string(line.substr(displayAt + kDisplayKey.size()));
    if (saved.displayName.find('\n') != std::string::npos) return std::nullopt;

    std::istringstream in{std::string(line.substr(0, displayAt))};
    std::string screenKey;
    std::string crtcKey;
    std::size_t outputCount = 0;
    in >> screenKey >> saved.screen.width >> saved.screen.height >> saved.screen.widthMm >> saved.screen.heightMm >>
        crtcKey >> saved.crtc.crtc >> saved.crtc.mode >> saved.crtc.x >> saved.crtc.y >> saved.crtc.rotation >>
        outputCount;
    if (!in || screenKey != "screen" || crtcKey != "crtc" || outputCount > kMaxOutputs) return std::nullopt;
    saved.crtc.outputs.resize(outputCount);
    for (std::uint64_t& output : saved.crtc.outputs) in >> output;
    if (!in) return std::nullopt;
    std::string rest;
    if (in >> rest) return std::nullopt;  // trailing words: not a line we wrote
    return saved;
}

#include "LayoutMath.h"

#include <array>

namespace layout {
namespace {

enum class Setting {
    TopFromBottom,   // Top := CH - Height - gap
    HeightToBottom,  // Height := CH - Top - gap
    LeftFromRight,   // Left := CW - Width - gap
    WidthToRight,    // Width := CW - Left - gap
    LeftCentred,     // Left := (CW - Width) / 2, truncated toward zero
};

struct Step {
    Place Places::*control;
    Setting setting;
    std::int32_t EdgeGaps::*gap;  // null for the centring
};

// FormResize's steps 2 to 24 in their order. Every gap belongs to exactly one step, and the
// step's setting names the edge the gap is measured from.
constexpr std::array<Step, 23> kSteps{{
    {&Places::CheckBoxLoop, Setting::TopFromBottom, &EdgeGaps::FCheckBoxLoopBottomGap},
    {&Places::imgLoop, Setting::TopFromBottom, &EdgeGaps::FImgLoopBottomGap},
    {&Places::CheckBoxStretch, Setting::TopFromBottom, &EdgeGaps::FCheckBoxStretchBottomGap},
    {&Places::imgStretch, Setting::TopFromBottom, &EdgeGaps::FImgStretchBottomGap},
    {&Places::ListBox1, Setting::HeightToBottom, &EdgeGaps::FListBox1BottomGap},
    {&Places::Image2, Setting::LeftFromRight, &EdgeGaps::FImage2RightGap},
    {&Places::imgUe, Setting::LeftFromRight, &EdgeGaps::FImgUeRightGap},
    {&Places::imgPlay, Setting::LeftCentred, nullptr},
    {&Places::imgPlay, Setting::TopFromBottom, &EdgeGaps::FImgPlayBottomGap},
    {&Places::imgDelete, Setting::LeftFromRight, &EdgeGaps::FImgDeleteRightGap},
    {&Places::imgDelete, Setting::TopFromBottom, &EdgeGaps::FImgDeleteBottomGap},
    {&Places::imgClear, Setting::LeftFromRight, &EdgeGaps::FImgClearRightGap},
    {&Places::imgClear, Setting::TopFromBottom, &EdgeGaps::FImgClearBottomGap},
    {&Places::imgAddFile, Setting::LeftFromRight, &EdgeGaps::FImgAddFileRightGap},
    {&Places::imgAddFile, Setting::TopFromBottom, &EdgeGaps::FImgAddFileBottomGap},
    {&Places::imgSita, Setting::LeftFromRight, &EdgeGaps::FImgSitaRightGap},
    {&Places::imgSita, Setting::TopFromBottom, &EdgeGaps::FImgSitaBottomGap},
    {&Places::imgLoad, Setting::LeftFromRight, &EdgeGaps::FImgLoadRightGap},
    {&Places::imgLoad, Setting::TopFromBottom, &EdgeGaps::FImgLoadBottomGap},
    {&Places::imgSave, Setting::LeftFromRight, &EdgeGaps::FImgSaveRightGap},
    {&Places::imgSave, Setting::TopFromBottom, &EdgeGaps::FImgSaveBottomGap},
    {&Places::ListBox2, Setting::WidthToRight, &EdgeGaps::FListBox2RightGap},
    {&Places::ListBox2, Setting::HeightToBottom, &EdgeGaps::FListBox2BottomGap},
}};

// Left and Top of sub-step 1, with the size where the layout step gives one (-1: keep).
struct Fixed {
    Place Places::*control;
    int left, top, width, height;
};

constexpr std::array<Fixed, 18> kFixed{{
    {&Places::imgIcon, 16, 16, -1, -1},
    {&Places::Image2, 42, 8, -1, -1},
    {&Places::Image3, 16, 64, -1, -1},
    {&Places::Image4, 136, 64, -1, -1},
    {&Places::ListBox1, 8, 80, 113, 97},
    {&Places::ListBox2, 128, 80, 217, 97},
    {&Places::CheckBoxLoop, 8, 184, 17, 17},
    {&Places::imgLoop, 24, 184, -1, -1},
    {&Places::imgAddFile, 192, 184, -1, -1},
    {&Places::imgLoad, 276, 184, -1, -1},
    {&Places::imgSave, 324, 184, -1, -1},
    {&Places::CheckBoxStretch, 8, 208, 17, 17},
    {&Places::imgStretch, 24, 208, -1, -1},
    {&Places::imgDelete, 256, 208, -1, -1},
    {&Places::imgClear, 320, 208, -1, -1},
    {&Places::imgPlay, 176, 232, -1, -1},
    {&Places::imgUe, 352, 80, -1, -1},
    {&Places::imgSita, 352, 164, -1, -1},
}};

}  // namespace

Places DesignPlaces() {
    Places places;
    // The bitmaps' sizes, as the pictures in forms/pictures have them.
    places.imgIcon = {0, 0, 32, 32};
    places.Image2 = {0, 0, 326, 39};
    places.Image3 = {0, 0, 94, 15};
    places.Image4 = {0, 0, 66, 19};
    places.imgAddFile = {0, 0, 74, 18};
    places.imgPlay = {0, 0, 35, 19};
    places.imgLoop = {0, 0, 119, 20};
    places.imgStretch = {0, 0, 112, 18};
    places.imgClear = {0, 0, 45, 18};
    places.imgUe = {0, 0, 16, 13};
    places.imgSita = {0, 0, 16, 13};
    places.imgDelete = {0, 0, 56, 18};
    places.imgLoad = {0, 0, 40, 18};
    places.imgSave = {0, 0, 41, 18};
    return PlaceFixed(places);
}

Places PlaceFixed(Places places) {
    for (const Fixed& fixed : kFixed) {
        Place& place = places.*fixed.control;
        place.Left = fixed.left;
        place.Top = fixed.top;
        if (fixed.width >= 0) place.Width = fixed.width;
        if (fixed.height >= 0) place.Height = fixed.height;
    }
    return places;
}

EdgeGaps MeasureGaps(const Places& places, ClientSize client) {
    EdgeGaps gaps;
    for (const Step& step : kSteps) {
        if (step.gap == nullptr) continue;
        const Place& place = places.*step.control;
        switch (step.setting) {
        case Setting::TopFromBottom:
        case Setting::HeightToBottom:
            gaps.*step.gap = client.Height - place.Height - place.Top;
            break;
        case Setting::LeftFromRight:
        case Setting::WidthToRight:
            gaps.*step.gap = client.Width - place.Width - place.Left;
            break;
        case Setting::LeftCentred:
            break;
        }
    }
    return gaps;
}

Places Resize(Places places, const EdgeGaps& gaps, ClientSize client) {
    for (const Step& step : kSteps) {
        Place& place = places.*step.control;
        switch (step.setting) {
        case Setting::TopFromBottom:
            place.Top = client.Height - place.Height - gaps.*step.gap;
            break;
        case Setting::HeightToBottom:
            place.Height = client.Height - place.Top - gaps.*step.gap;
            break;
        case Setting::LeftFromRight:
            place.Left = client.Width - place.Width - gaps.*step.gap;
            break;
        case Setting::WidthToRight:
            place.Width = client.Width - place.Left - gaps.*step.gap;
            break;
        case Setting::LeftCentred:
            place.Left = (client.Width - place.Width) / 2;  // C++ division truncates toward zero
            break;
        }
    }
    return places;
}

}  // namespace layout

// The main window's layout arithmetic on plain rectangles: the fixed places of the layout step,
// the measuring of the edge gaps and the moves of FormResize. No widget is involved, so any
// client size and any measured gaps can be worked through directly.
#pragma once

#include <cstdint>

namespace layout {

struct Place {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const Place&) const = default;
};

// Every control that the layout places or moves (the panels fill the client area by themselves).
struct Places {
    Place imgIcon, Image2, Image3, Image4, ListBox1, ListBox2, CheckBoxLoop, imgLoop, imgAddFile, imgLoad,
        imgSave, CheckBoxStretch, imgStretch, imgDelete, imgClear, imgPlay, imgUe, imgSita;
    bool operator==(const Places&) const = default;
};

// The 22 edge gaps, named and ordered as the main window declares them.
struct EdgeGaps {
    std::int32_t FCheckBoxLoopBottomGap = 0;
    std::int32_t FImgLoopBottomGap = 0;
    std::int32_t FCheckBoxStretchBottomGap = 0;
    std::int32_t FImgStretchBottomGap = 0;
    std::int32_t FListBox1BottomGap = 0;
    std::int32_t FImage2RightGap = 0;
    std::int32_t FImgUeRightGap = 0;
    std::int32_t FImgPlayBottomGap = 0;
    std::int32_t FImgDeleteRightGap = 0;
    std::int32_t FImgDeleteBottomGap = 0;
    std::int32_t FImgClearRightGap = 0;
    std::int32_t FImgClearBottomGap = 0;
    std::int32_t FImgAddFileRightGap = 0;
    std::int32_t FImgAddFileBottomGap = 0;
    std::int32_t FImgSitaRightGap = 0;
    std::int32_t FImgSitaBottomGap = 0;
    std::int32_t FImgLoadRightGap = 0;
    std::int32_t FImgLoadBottomGap = 0;
    std::int32_t FImgSaveRightGap = 0;
    std::int32_t FImgSaveBottomGap = 0;
    std::int32_t FListBox2RightGap = 0;
    std::int32_t FListBox2BottomGap = 0;
    bool operator==(const EdgeGaps&) const = default;
};

struct ClientSize {
    int Width = 0;
    int Height = 0;
};

// The client area of the form description.
inline constexpr ClientSize kDesignClient{376, 257};

// Every control where the form description puts it, pictures at the size of their bitmaps.
Places DesignPlaces();

// Sub-step 1 of the layout step: each control back at its fixed place. List boxes and check
// boxes get their fixed size too; pictures keep theirs (the size of their bitmap).
Places PlaceFixed(Places places);

// Sub-step 3: each gap is the distance of its control from the right or bottom edge.
EdgeGaps MeasureGaps(const Places& places, ClientSize client);

// FormResize's moves (its steps 2 to 24), in their order, without clamping: a gap or a client
// area smaller than at creation gives places beyond the edges and sizes of zero or less.
Places Resize(Places places, const EdgeGaps& gaps, ClientSize client);

}  // namespace layout

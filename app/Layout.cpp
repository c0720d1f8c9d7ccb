// The main window's own layout: fixed places, minimum size, edge gaps and the resize handler.
// The arithmetic is in LayoutMath; here it meets the widgets.
#include "LayoutMath.h"
#include "Unit1.h"

#include <QRect>

#include <algorithm>
#include <array>
#include <utility>

namespace {

using ControlBinding = std::pair<layout::Place layout::Places::*, QWidget*>;

std::array<ControlBinding, 18> controlsOf(TfrmMain& form) {
    using layout::Places;
    return {{
        {&Places::imgIcon, form.imgIcon},
        {&Places::Image2, form.Image2},
        {&Places::Image3, form.Image3},
        {&Places::Image4, form.Image4},
        {&Places::ListBox1, form.ListBox1},
        {&Places::ListBox2, form.ListBox2},
        {&Places::CheckBoxLoop, form.CheckBoxLoop},
        {&Places::imgLoop, form.imgLoop},
        {&Places::imgAddFile, form.imgAddFile},
        {&Places::imgLoad, form.imgLoad},
        {&Places::imgSave, form.imgSave},
        {&Places::CheckBoxStretch, form.CheckBoxStretch},
        {&Places::imgStretch, form.imgStretch},
        {&Places::imgDelete, form.imgDelete},
        {&Places::imgClear, form.imgClear},
        {&Places::imgPlay, form.imgPlay},
        {&Places::imgUe, form.imgUe},
        {&Places::imgSita, form.imgSita},
    }};
}

using GapBinding = std::pair<std::int32_t layout::EdgeGaps::*, std::int32_t TfrmMain::*>;

constexpr std::array<GapBinding, 22> kGapFields{{
    {&layout::EdgeGaps::FCheckBoxLoopBottomGap, &TfrmMain::FCheckBoxLoopBottomGap},
    {&layout::EdgeGaps::FImgLoopBottomGap, &TfrmMain::FImgLoopBottomGap},
    {&layout::EdgeGaps::FCheckBoxStretchBottomGap, &TfrmMain::FCheckBoxStretchBottomGap},
    {&layout::EdgeGaps::FImgStretchBottomGap, &TfrmMain::FImgStretchBottomGap},
    {&layout::EdgeGaps::FListBox1BottomGap, &TfrmMain::FListBox1BottomGap},
    {&layout::EdgeGaps::FImage2RightGap, &TfrmMain::FImage2RightGap},
    {&layout::EdgeGaps::FImgUeRightGap, &TfrmMain::FImgUeRightGap},
    {&layout::EdgeGaps::FImgPlayBottomGap, &TfrmMain::FImgPlayBottomGap},
    {&layout::EdgeGaps::FImgDeleteRightGap, &TfrmMain::FImgDeleteRightGap},
    {&layout::EdgeGaps::FImgDeleteBottomGap, &TfrmMain::FImgDeleteBottomGap},
    {&layout::EdgeGaps::FImgClearRightGap, &TfrmMain::FImgClearRightGap},
    {&layout::EdgeGaps::FImgClearBottomGap, &TfrmMain::FImgClearBottomGap},
    {&layout::EdgeGaps::FImgAddFileRightGap, &TfrmMain::FImgAddFileRightGap},
    {&layout::EdgeGaps::FImgAddFileBottomGap, &TfrmMain::FImgAddFileBottomGap},
    {&layout::EdgeGaps::FImgSitaRightGap, &TfrmMain::FImgSitaRightGap},
    {&layout::EdgeGaps::FImgSitaBottomGap, &TfrmMain::FImgSitaBottomGap},
    {&layout::EdgeGaps::FImgLoadRightGap, &TfrmMain::FImgLoadRightGap},
    {&layout::EdgeGaps::FImgLoadBottomGap, &TfrmMain::FImgLoadBottomGap},
    {&layout::EdgeGaps::FImgSaveRightGap, &TfrmMain::FImgSaveRightGap},
    {&layout::EdgeGaps::FImgSaveBottomGap, &TfrmMain::FImgSaveBottomGap},
    {&layout::EdgeGaps::FListBox2RightGap, &TfrmMain::FListBox2RightGap},
    {&layout::EdgeGaps::FListBox2BottomGap, &TfrmMain::FListBox2BottomGap},
}};

layout::Places readPlaces(TfrmMain& form) {
    layout::Places places;
    for (const auto& [place, widget] : controlsOf(form)) {
        const QRect r = widget->geometry();
        places.*place = {r.x(), r.y(), r.width(), r.height()};
    }
    return places;
}

// Sizes of zero or less (a list box while the client area is far smaller than at creation)
// reach Qt unchanged; it shows such a widget with no area.
void writePlaces(TfrmMain& form, const layout::Places& places) {
    for (const auto& [place, widget] : controlsOf(form)) {
        const layout::Place& p = places.*place;
        const QRect wanted(p.Left, p.Top, p.Width, p.Height);
        if (widget->geometry() != wanted) widget->setGeometry(wanted);
    }
}

layout::EdgeGaps gapsOf(const TfrmMain& form) {
    layout::EdgeGaps gaps;
    for (const auto& [gap, field] : kGapFields) gaps.*gap = form.*field;
    return gaps;
}

}  // namespace

void TfrmMain::PlaceControls() { writePlaces(*this, layout::PlaceFixed(readPlaces(*this))); }

// Sub-steps 2 and 3. The window is not mapped yet, so no window manager has framed it and its
// outer size (Width, Height) is its client size: FMinWidth × FMinHeight is the client size at
// creation (376 × 257 with the form description), and the frame the window had at this moment
// (none) is kept so that the minimum converts to client terms exactly.
void TfrmMain::MeasureLayout() {
    FMinWidth = Width();
    FMinHeight = Height();
    minFrameSize_ = QSize(FMinWidth - width(), FMinHeight - height());
    const layout::EdgeGaps gaps = layout::MeasureGaps(readPlaces(*this), {width(), height()});
    for (const auto& [gap, field] : kGapFields) this->*field = gaps.*gap;
    WMGetMinMaxInfo();
}

void TfrmMain::FormResize() {
    // 1. Qt keeps the registration with the widget, across re-created native windows too.
    setAcceptDrops(true);
    // 2. to 24.
    writePlaces(*this, layout::Resize(readPlaces(*this), gapsOf(*this), {width(), height()}));
}

// The smallest outer size is FMinWidth × FMinHeight. The window manager limits the client
// area, so Qt gets the minimum less the frame the window had when the minimum was taken: the
// window can never become smaller than it was at creation, whatever frame it wears later.
// Before the layout step both fields are zero and nothing is limited.
void TfrmMain::WMGetMinMaxInfo() {
    setMinimumSize(std::max(0, FMinWidth - minFrameSize_.width()), std::max(0, FMinHeight - minFrameSize_.height()));
}

// Outer size: frame included once the window manager has framed the window; before that Qt
// knows no frame and these equal the client size.
int TfrmMain::Width() const { return frameGeometry().width(); }
int TfrmMain::Height() const { return frameGeometry().height(); }

void TfrmMain::imgLoopClick() { CheckBoxLoop->setChecked(!CheckBoxLoop->isChecked()); }
void TfrmMain::imgStretchClick() { CheckBoxStretch->setChecked(!CheckBoxStretch->isChecked()); }

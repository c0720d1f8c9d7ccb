// The main window's own layout: fixed places, minimum size, edge gaps and the resize handler.
#include "Unit1.h"

void TfrmMain::PlaceControls() {}
void TfrmMain::MeasureLayout() {
    FMinWidth = Width();
    FMinHeight = Height();
}
void TfrmMain::FormResize() {}
void TfrmMain::WMGetMinMaxInfo() {}
int TfrmMain::Width() const { return frameGeometry().width(); }
int TfrmMain::Height() const { return frameGeometry().height(); }
void TfrmMain::imgLoopClick() { CheckBoxLoop->setChecked(!CheckBoxLoop->isChecked()); }
void TfrmMain::imgStretchClick() { CheckBoxStretch->setChecked(!CheckBoxStretch->isChecked()); }

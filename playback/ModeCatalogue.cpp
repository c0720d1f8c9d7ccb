// FormCreate steps 4 to 8: the display-mode table and ListBox1, with no display object kept.
#include "Application.h"
#include "ModeTable.h"
#include "Unit1.h"

void TfrmMain::BuildModeCatalogue() {
    ClearModeTable();
    if (DirectDrawCreate(nullptr, &FDirectDraw, nullptr) != DD_OK) {
        FDirectDraw = nullptr;
        Application->Halt(1);
    }
    if (FDirectDraw->EnumDisplayModes(0, nullptr, nullptr, EnumModesCallback) != DD_OK) {
        FDirectDraw->Release();
        FDirectDraw = nullptr;
        Application->Halt(1);
    }
    for (int i = 0; i < ModeCount; ++i) ListBox1->insertItem(0, ModeLineText(i));
    FDirectDraw->Release();
    FDirectDraw = nullptr;
}

// The Play command and its exit: full-screen entry (StartPlayback), exit (StopPlayback), and the
// keys and clicks that end playback.
#include "Application.h"
#include "Cursor.h"
#include "Dialogs.h"
#include "ModeTable.h"
#include "Unit1.h"

namespace {
constexpr std::uint32_t kExclusiveFullScreen = DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE;  // 17
}

void TfrmMain::imgPlayClick() { StartPlayback(); }

void TfrmMain::StartPlayback() {
    // 1. and 2.
    if (ListBox2->Count() == 0) {
        ShowMessage(QStringLiteral("PlayListに再生したいファイルを追加してください。"));
        return;
    }
    const int line = ListBoxItemIndex(ListBox1);
    if (line == -1) {
        ShowMessage(QStringLiteral("ScreenSizeが指定されていません"));
        return;
    }
    // 3.
    DisableInputMethod();
    // 4.
    QWidget* focusBefore = focusWidget();
    Panel1->hide();
    setFocus(Qt::OtherFocusReason);
    // 5.
    FSavedWidth = Width();
    FSavedHeight = Height();
    FSavedTop = Top();
    FSavedLeft = Left();
    // 6.
    SetBorderStyle(TBorderStyle::bsNone);
    // 7. to 9. A failed step puts back everything the entry changed, without a message.
    auto undo = [&] {
        RestoreWindowed();
        if (focusBefore != nullptr) focusBefore->setFocus(Qt::OtherFocusReason);
    };
    if (DirectDrawCreate(nullptr, &FDirectDraw, nullptr) != DD_OK) {
        FDirectDraw = nullptr;
        undo();
        return;
    }
    if (FDirectDraw->SetCooperativeLevel(this, kExclusiveFullScreen) != DD_OK) {
        undo();
        return;
    }
    const int entry = ModeEntryOfLine(ListBox1->count(), line);
    if (FDirectDraw->SetDisplayMode(static_cast<std::uint32_t>(static_cast<std::int32_t>(ModeWidth[entry])),
                                    static_cast<std::uint32_t>(static_cast<std::int32_t>(ModeHeight[entry])),
                                    static_cast<std::uint32_t>(static_cast<std::int32_t>(ModeBitCount[entry]))) != DD_OK) {
        undo();
        return;
    }
    // 10.
    ShowCursor(false);
    // 11. A first clip that exists but cannot be opened undoes the entry, then its error is shown.
    try {
        StartFirstItem();
    } catch (const Exception&) {
        ShowCursor(true);
        undo();
        throw;
    }
    // 12. and 13.
    FPlaying = true;
    Application->OnIdle = [this](QObject* sender, bool& done) { PlaybackIdle(sender, done); };
}

void TfrmMain::StopPlayback() {
    // 1. to 5.
    if (!FPlaying) return;
    Application->OnIdle = nullptr;
    StopMedia();
    // 6. to 9.
    RestoreWindowed();
    // 10.
    ShowCursor(true);
}

void TfrmMain::RestoreWindowed() {
    if (FDirectDraw != nullptr) {
        FDirectDraw->Release();
        FDirectDraw = nullptr;
    }
    SetBorderStyle(TBorderStyle::bsSizeable);
    SetWidth(FSavedWidth);
    SetHeight(FSavedHeight);
    SetTop(FSavedTop);
    SetLeft(FSavedLeft);
    PanelScreen->show();
    Panel1->show();
}

void TfrmMain::FormKeyPress(char16_t) { StopPlayback(); }

void TfrmMain::PanelScreenClick() { StopPlayback(); }

void TfrmMain::FormClick() {}

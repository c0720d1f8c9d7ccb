// Playing the playlist item after item: the first item, the idle handler, and stopping the media.
#include "Application.h"
#include "Unit1.h"

#include <sys/stat.h>

namespace {
// A path that names something other than a folder.
bool FileExists(const QByteArray& path) {
    struct stat info {};
    return ::stat(path.constData(), &info) == 0 && !S_ISDIR(info.st_mode);
}
}  // namespace

void TfrmMain::OpenAndPlayCurrent() {
    MediaPlayer1->Open();
    FMediaOpen = true;  // every clip that playback opens is stopped and closed by the exit
    if (CheckBoxStretch->isChecked()) MediaPlayer1->SetDisplayRect(QRect(0, 0, PanelScreen->width(), PanelScreen->height()));
    MediaPlayer1->Play();
}

void TfrmMain::StartFirstItem() {
    if (ListBox2->ItemIndex() == -1) ListBox2->SetItemIndex(0);
    const QByteArray path = ListBox2->Item(ListBox2->ItemIndex());
    MediaPlayer1->SetFileName(path);
    if (FileExists(path)) OpenAndPlayCurrent();
}

void TfrmMain::PlaybackIdle(QObject*, bool& Done) {
    if (MediaPlayer1->Mode() == mpStopped) {
        const int count = ListBox2->Count();
        const int current = ListBox2->ItemIndex();
        if (current >= count - 1) {
            if (!CheckBoxLoop->isChecked()) {
                StopPlayback();
                return;
            }
            ListBox2->SetItemIndex(0);
        } else {
            ListBox2->SetItemIndex(current + 1);
        }
        MediaPlayer1->SetFileName(ListBox2->Item(ListBox2->ItemIndex()));
        OpenAndPlayCurrent();
    }
    Done = false;
}

void TfrmMain::StopMedia() {
    // A player without a clip (a missing or failed item) is left alone, so the exit always completes.
    if (FMediaOpen && MediaPlayer1->IsOpen()) MediaPlayer1->Stop();
    FPlaying = false;
    if (FMediaOpen) {
        MediaPlayer1->Close();
        FMediaOpen = false;
    }
}

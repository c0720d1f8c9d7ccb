// TfrmMain's playlist handlers: editing, arguments, drops, list files and the auto-save file.
#include "Unit1.h"

void TfrmMain::imgAddFileClick() {}
void TfrmMain::imgDeleteClick() { DeleteSelectedItem(); }
void TfrmMain::imgClearClick() { ListBox2->Clear(); }
void TfrmMain::imgUeMouseDown(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {}
void TfrmMain::imgSitaMouseDown(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {}
void TfrmMain::imgLoadClick() {}
void TfrmMain::imgSaveClick() {}
void TfrmMain::ListBox2KeyDown(int key, Qt::KeyboardModifiers) {
    if (key == Qt::Key_Delete) DeleteSelectedItem();
}
void TfrmMain::DeleteSelectedItem() {
    const int i = ListBox2->ItemIndex();
    if (i >= 0) ListBox2->Delete(i);
}
void TfrmMain::WMDropFiles(const std::vector<QByteArray>& paths) {
    for (const auto& p : paths) ListBox2->Append(p);
}
void TfrmMain::LoadAutoSavePlaylist() {}
void TfrmMain::SaveAutoSavePlaylist() {}
void TfrmMain::AppendArguments(const std::vector<QByteArray>& arguments) {
    for (const auto& a : arguments) {
        if (a.isEmpty()) break;
        ListBox2->Append(a);
    }
}

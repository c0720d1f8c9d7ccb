// TfrmMain's playlist handlers: editing, arguments, drops, list files and the auto-save file.
#include "Unit1.h"

#include "Exception.h"
#include "FileDialogs.h"
#include "ListFile.h"

void TfrmMain::imgAddFileClick() {
    ListBox2->AppendItems(OpenDialog1->Execute(this));
}

void TfrmMain::imgDeleteClick() { DeleteSelectedItem(); }

void TfrmMain::imgClearClick() { ListBox2->Clear(); }

// Every press of any button moves once; the selection stays on the moved item.
void TfrmMain::imgUeMouseDown(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    const int i = ListBox2->ItemIndex();
    if (i < 1) return;
    ListBox2->Exchange(i - 1, i);
    ListBox2->SetItemIndex(i - 1);
}

void TfrmMain::imgSitaMouseDown(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    const int i = ListBox2->ItemIndex();
    if (i < 0 || i >= ListBox2->Count() - 1) return;
    ListBox2->Exchange(i, i + 1);
    ListBox2->SetItemIndex(i + 1);
}

void TfrmMain::imgLoadClick() {
    const std::vector<QByteArray> chosen = OpenDialog2->Execute(this);
    if (chosen.empty()) return;
    ListBox2->ReplaceWithFile(ReadListFile(chosen.front()));
}

void TfrmMain::imgSaveClick() {
    const std::vector<QByteArray> chosen = SaveDialog1->Execute(this);
    if (chosen.empty()) return;
    SaveListText(chosen.front(), ListTextOf(ListBox2->ItemViews()));
}

// Shift, Ctrl and Alt do not matter.
void TfrmMain::ListBox2KeyDown(int key, Qt::KeyboardModifiers) {
    if (key == Qt::Key_Delete) DeleteSelectedItem();
}

void TfrmMain::DeleteSelectedItem() {
    const int i = ListBox2->ItemIndex();
    if (i >= 0) ListBox2->Delete(i);
}

void TfrmMain::WMDropFiles(const std::vector<QByteArray>& paths) { ListBox2->AppendItems(paths); }

void TfrmMain::LoadAutoSavePlaylist() {
    const QByteArray path = AutoSavePath();
    try {
        switch (KindOfFile(path)) {
        case FileKind::Missing:
        case FileKind::Other:  // a folder of that name is no list
            return;
        case FileKind::Unreachable:
            throw Exception(OpenErrorMessage(path).toStdString());
        case FileKind::Regular:
            ListBox2->ReplaceWithFile(ReadListFile(path));
            return;
        }
    } catch (const Exception&) {
        // The list stored there was not read: the close must not overwrite it.
        FAutoSaveUnreadable = true;
        throw;
    }
}

void TfrmMain::SaveAutoSavePlaylist() {
    if (FAutoSaveUnreadable) return;
    SaveListText(AutoSavePath(), ListTextOf(ListBox2->ItemViews()));
}

// The shell has split the command line already; an empty argument ends the list.
void TfrmMain::AppendArguments(const std::vector<QByteArray>& arguments) {
    for (const QByteArray& argument : arguments) {
        if (argument.isEmpty()) break;
        ListBox2->Append(argument);
    }
}

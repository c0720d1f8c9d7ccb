#include "FileDialogs.h"

namespace {
TFileDialogSettings::Runner& runner() {
    static TFileDialogSettings::Runner current;
    return current;
}
}  // namespace

void TFileDialogSettings::SetRunner(Runner r) { runner() = std::move(r); }

TFileDialogSettings TFileDialogSettings::movieFiles() {
    TFileDialogSettings d;
    d.filter = QStringLiteral("ムービーファイル(*.avi;*.mpg;*.mpeg)|*.avi;*.mpg;*.mpeg|あらゆるファイル(*.*)|*.*");
    d.multiSelect = true;
    return d;
}

TFileDialogSettings TFileDialogSettings::loadList() {
    TFileDialogSettings d;
    d.title = QStringLiteral("プレーンテキスト形式のリストファイルを PlayList にロードします");
    d.filter = QStringLiteral("テキスト形式リスト(*.txt;*.lst)|*.txt;*.lst|すべてのファイル(*.*)|*.*");
    return d;
}

TFileDialogSettings TFileDialogSettings::saveList() {
    TFileDialogSettings d = loadList();
    d.kind = Kind::Save;
    d.title = QStringLiteral("ファイル名を指定して保存（拡張子は自分でつけてください）");
    return d;
}

std::vector<QByteArray> TFileDialogSettings::Execute(QWidget*) {
    if (runner()) return runner()(*this);
    return {};
}

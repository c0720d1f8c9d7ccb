#include "FileDialogs.h"

#include <QAbstractItemView>
#include <QFile>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>

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
    d.resizable = false;
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

QStringList QtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns)
            if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
        filters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

namespace {

// The names in the name box, in their order, as full paths. Qt's selectedFiles() prefers the
// files selected in the view, in the view's order, and so drops typed names of files that do
// not exist; the name box holds both, since a selection in the view is written into it.
QStringList chosenFiles(const QFileDialog& dialog) {
    const auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    const QString text = edit != nullptr ? edit->text() : QString();
    QStringList names;
    if (text.contains(QLatin1Char('"'))) {
        // Several names: "first" "second" ...
        const QStringList tokens = text.split(QLatin1Char('"'));
        for (qsizetype i = 1; i < tokens.size(); i += 2)
            if (!tokens[i].isEmpty()) names << tokens[i];
    } else if (!text.isEmpty()) {
        names << text;
    }
    if (names.isEmpty()) return dialog.selectedFiles();
    QStringList files;
    for (const QString& name : names)
        files << (QDir::isAbsolutePath(name) ? name : dialog.directory().absoluteFilePath(name));
    return files;
}

}  // namespace

std::vector<QByteArray> TFileDialogSettings::Execute(QWidget* parent) {
    std::vector<QByteArray> paths = runner() ? runner()(*this) : showDialog(parent);
    if (!paths.empty()) lastPath = paths.front();
    return paths;
}

std::vector<QByteArray> TFileDialogSettings::showDialog(QWidget* parent) {
    QFileDialog dialog(parent, title);
    // Qt's own dialog on every desktop: the platform dialogs refuse a typed name of a file
    // that does not exist, and choose several files only among existing ones.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The descriptions already name their patterns; Qt would add them a second time.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(kind == Kind::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, kind == Kind::Save);
    dialog.setDefaultSuffix(QString());  // the name is used as typed
    const QStringList filters = QtNameFilters(filter);
    dialog.setNameFilters(filters);
    if (lastFilterIndex >= 0 && lastFilterIndex < filters.size()) dialog.selectNameFilter(filters[lastFilterIndex]);
    if (!lastPath.isEmpty()) dialog.selectFile(QFile::decodeName(lastPath));
    if (multiSelect) {
        // AnyFile mode accepts names that do not exist but lets the views select one file;
        // ExistingFiles would select several but refuse a new name. The views take several,
        // and the name box then lists them quoted, which AnyFile mode reads back.
        for (auto* view : dialog.findChildren<QAbstractItemView*>())
            if (view->objectName() == QLatin1String("listView") || view->objectName() == QLatin1String("treeView"))
                view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    }
    if (!resizable) {
        dialog.setSizeGripEnabled(false);
        dialog.setFixedSize(dialog.sizeHint());
    }
    if (dialog.exec() != QDialog::Accepted) return {};

    // Qt names the chosen filter with or without its patterns, depending on its version.
    const QString chosen = dialog.selectedNameFilter();
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i < filters.size(); ++i)
        if (chosen == filters[i] || chosen == parts.value(2 * i).simplified()) lastFilterIndex = i;
    std::vector<QByteArray> paths;
    for (const QString& file : chosenFiles(dialog)) paths.push_back(QFile::encodeName(file));
    return paths;
}

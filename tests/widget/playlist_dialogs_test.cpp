// The three file dialogs as the user meets them: Qt's dialog with the titles and filters,
// typed names of files that do not exist, several names at once, no overwrite question, no
// added extension, and what the next use starts with.
#include "FileDialogs.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <ostream>

// Readable failures.
void PrintTo(const QByteArray& bytes, std::ostream* out) { *out << '"' << bytes.toStdString() << '"'; }
void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {

using Paths = std::vector<QByteArray>;

class FileDialogs : public testing::Test {
protected:
    void SetUp() override {
        TFileDialogSettings::SetRunner({});
        for (const char* name : {"a.avi", "b.mpg", "noext"}) {
            QFile f(dir.filePath(name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
    }

    // Runs the dialog; `user` sees it once it is up and answers it.
    Paths run(TFileDialogSettings& settings, const std::function<void(QFileDialog&)>& user) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;  // the test fails below; exec would wait forever
            seen = true;
            user(*dialog);
            // An overwrite question or a "file not found" box would be up now, in its own loop.
            QTimer::singleShot(0, [dialog = QPointer<QFileDialog>(dialog)] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    ADD_FAILURE() << "unexpected question: " << box->text().toStdString();
                    box->reject();
                }
                if (dialog != nullptr && dialog->isVisible()) {
                    ADD_FAILURE() << "the dialog did not take the answer";
                    dialog->reject();
                }
            });
        });
        const Paths paths = settings.Execute(nullptr);
        QCoreApplication::processEvents();  // the check above, when the dialog closed first
        EXPECT_TRUE(seen) << "no file dialog came up";
        return paths;
    }
    static void type(QFileDialog& dialog, const QString& text) {
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        // Typed with the focus in the box, as a user does: the dialog then leaves the text alone.
        QApplication::setActiveWindow(&dialog);
        edit->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(edit->hasFocus());
        edit->setText(text);
    }
    // The Open or Save button, as the user presses it: a disabled one does nothing.
    static void pressOk(QFileDialog& dialog) {
        auto* box = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* button : box->buttons())
            if (box->buttonRole(button) == QDialogButtonBox::AcceptRole) return button->click();
        ADD_FAILURE() << "no Open or Save button";
    }
    QByteArray bytes(const char* name) const { return QFile::encodeName(dir.filePath(name)); }

    QTemporaryDir dir;
};

TEST_F(FileDialogs, AddDialogTakesSeveralNamesAndNewOnesAndStartsNextTimeAtTheFirst) {
    TFileDialogSettings settings = TFileDialogSettings::movieFiles();
    settings.lastPath = bytes("a.avi");  // opens in our folder
    const Paths paths = run(settings, [&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.fileMode(), QFileDialog::AnyFile);
        EXPECT_EQ(dialog.nameFilters(), QtNameFilters(settings.filter));
        EXPECT_EQ(dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->currentIndex(), 0);
        EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());  // not resizable
        for (auto* view : dialog.findChildren<QAbstractItemView*>())
            if (view->objectName() == QLatin1String("listView"))
                EXPECT_EQ(view->selectionMode(), QAbstractItemView::ExtendedSelection);
        type(dialog, QStringLiteral("\"b.mpg\" \"missing.avi\" \"a.avi\""));
        pressOk(dialog);
    });
    EXPECT_EQ(paths, (Paths{bytes("b.mpg"), bytes("missing.avi"), bytes("a.avi")}));
    EXPECT_EQ(settings.lastPath, bytes("b.mpg"));

    run(settings, [&](QFileDialog& dialog) {
        EXPECT_EQ(QDir(dialog.directory()), QDir(dir.path()));
        EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(), QStringLiteral("b.mpg"));
        dialog.reject();
    });
    EXPECT_EQ(settings.lastPath, bytes("b.mpg"));  // a cancel leaves it
}

TEST_F(FileDialogs, LoadDialogAcceptsATypedNameOfAMissingFile) {
    TFileDialogSettings settings = TFileDialogSettings::loadList();
    settings.lastPath = bytes("a.avi");
    const Paths paths = run(settings, [&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("プレーンテキスト形式のリストファイルを PlayList にロードします"));
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_LT(dialog.minimumSize().width(), dialog.maximumSize().width());  // resizable
        type(dialog, QStringLiteral("nothing-here.lst"));
        pressOk(dialog);
    });
    EXPECT_EQ(paths, Paths{bytes("nothing-here.lst")});
}

TEST_F(FileDialogs, SaveDialogReplacesWithoutAskingAddsNoExtensionAndRemembersTheFilter) {
    TFileDialogSettings settings = TFileDialogSettings::saveList();
    settings.lastPath = bytes("a.avi");
    const Paths paths = run(settings, [&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ファイル名を指定して保存（拡張子は自分でつけてください）"));
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_TRUE(dialog.defaultSuffix().isEmpty());
        // The user picks "all files" and types an existing name without an extension.
        dialog.selectNameFilter(dialog.nameFilters().at(1));
        type(dialog, QStringLiteral("noext"));
        pressOk(dialog);
    });
    EXPECT_EQ(paths, Paths{bytes("noext")});
    EXPECT_EQ(settings.lastFilterIndex, 1);

    run(settings, [&](QFileDialog& dialog) {
        auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(combo, nullptr);
        EXPECT_EQ(combo->currentIndex(), 1);
        EXPECT_EQ(combo->currentText(), QStringLiteral("すべてのファイル(*.*)"));  // as the filter names it
        EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(), QStringLiteral("noext"));
        dialog.reject();
    });
}

}  // namespace

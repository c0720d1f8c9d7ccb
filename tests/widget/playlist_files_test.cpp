// The playlist's files in the main window: the auto-save playlist file at start-up and close,
// the command-line arguments, and the Load and Save commands with their failures.
#include "FileDialogs.h"
#include "FormFixture.h"
#include "ListFile.h"
#include "TPlaylistBox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Items = std::vector<QByteArray>;

QByteArray readFile(const QByteArray& path) {
    QFile f(QFile::decodeName(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QByteArray& path, const QByteArray& bytes) {
    QFile f(QFile::decodeName(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

class PlaylistFiles : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        autoSave = QByteArray::fromStdString(AutoSavePathOfThisProcess());
    }
    void TearDown() override {
        TFileDialogSettings::SetRunner({});
        SetListFileWriter({});
        ::chmod(autoSave.constData(), 0644);
        QDir().rmdir(QFile::decodeName(autoSave));
        FormFixture::TearDown();
    }

    Items items() const { return form->ListBox2->Items(); }
    QString box(const QByteArray& message) const { return ErrorBoxText(message.toStdString()); }
    std::vector<QString> errorTexts() const {
        std::vector<QString> texts;
        for (const ShownMessage& m : messages)
            if (m.kind == MessageKind::Error) texts.push_back(m.text);
        return texts;
    }
    // Closes the window as the user does; true when it went away.
    bool closeWindow() {
        form->close();
        settle();
        return !form->isVisible();
    }
    // The dialog answers with this path (empty: cancelled).
    static void answer(const QByteArray& path) {
        TFileDialogSettings::SetRunner([path](TFileDialogSettings&) { return path.isEmpty() ? Items{} : Items{path}; });
    }
    // A click on a picture, through the event boundary that shows what a handler raises.
    static void click(QWidget* picture) {
        const QPointF at(2, 2);
        QMouseEvent press(QEvent::MouseButtonPress, at, picture->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, picture->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(picture, &press);
        QCoreApplication::sendEvent(picture, &release);
    }
    QByteArray temp(const char* name) const { return QFile::encodeName(dir.path()) + '/' + name; }

    QByteArray autoSave;
    QTemporaryDir dir;
};

TEST_F(PlaylistFiles, ArgumentsFollowTheAutoSaveItemsAndAreSavedWithThemAtClose) {
    writeFile(autoSave, "/stored/one.avi\r\n\r\n/stored/\xff.mpg\n");
    ASSERT_EQ(createForm({"rel/arg one.avi", "/abs/\xfe\xff.mpeg", "", "after the empty one"}), -1);
    EXPECT_EQ(items(), (Items{"/stored/one.avi", "", "/stored/\xff.mpg", "rel/arg one.avi", "/abs/\xfe\xff.mpeg"}));
    EXPECT_EQ(form->ListBox2->ItemIndex(), -1);

    EXPECT_TRUE(closeWindow());
    EXPECT_EQ(readFile(autoSave), "/stored/one.avi\r\n\r\n/stored/\xff.mpg\r\nrel/arg one.avi\r\n/abs/\xfe\xff.mpeg\r\n");
    EXPECT_TRUE(messages.empty());
}

TEST_F(PlaylistFiles, WithoutAnAutoSaveFileTheFirstCloseCreatesIt) {
    ASSERT_EQ(createForm({"a.avi"}), -1);
    EXPECT_EQ(items(), Items{"a.avi"});
    EXPECT_TRUE(closeWindow());
    EXPECT_EQ(readFile(autoSave), "a.avi\r\n");
}

TEST_F(PlaylistFiles, EmptyPlaylistClosesToAnEmptyFile) {
    writeFile(autoSave, "a\r\n");
    ASSERT_EQ(createForm(), -1);
    form->imgClearClick();
    EXPECT_TRUE(closeWindow());
    EXPECT_EQ(QFileInfo(QFile::decodeName(autoSave)).size(), 0);
}

TEST_F(PlaylistFiles, AutoSaveFolderIsNotLoadedAndEveryCloseFailsWithTheCreateError) {
    ASSERT_TRUE(QDir().mkdir(QFile::decodeName(autoSave)));
    ASSERT_EQ(createForm({"x"}), -1);
    EXPECT_EQ(items(), Items{"x"});
    EXPECT_TRUE(messages.empty());

    EXPECT_FALSE(closeWindow());
    EXPECT_FALSE(closeWindow());
    EXPECT_EQ(errorTexts(), (std::vector<QString>(2, box(CreateErrorMessage(autoSave)))));
}

TEST_F(PlaylistFiles, UnwritableAutoSaveFileKeepsTheWindowOpen) {
    writeFile(autoSave, "stored\r\n");
    ::chmod(autoSave.constData(), 0444);
    ASSERT_EQ(createForm({"new"}), -1);
    EXPECT_EQ(items(), (Items{"stored", "new"}));

    EXPECT_FALSE(closeWindow());
    EXPECT_EQ(errorTexts(), std::vector<QString>{box(CreateErrorMessage(autoSave))});
    EXPECT_EQ(readFile(autoSave), "stored\r\n");

    ::chmod(autoSave.constData(), 0644);  // the user mends it and tries again
    EXPECT_TRUE(closeWindow());
    EXPECT_EQ(readFile(autoSave), "stored\r\nnew\r\n");
}

TEST_F(PlaylistFiles, UnreadableAutoSaveFileIsReportedAndNotOverwrittenAtClose) {
    writeFile(autoSave, "precious\r\n");
    // Another program is writing it.
    const int other = ::open(autoSave.constData(), O_RDONLY);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    ASSERT_EQ(createForm({"arg"}), -1);
    ::close(other);

    EXPECT_EQ(errorTexts(), std::vector<QString>{box(OpenErrorMessage(autoSave))});
    EXPECT_EQ(items(), Items{"arg"});  // start-up went on
    EXPECT_TRUE(closeWindow());
    EXPECT_EQ(readFile(autoSave), "precious\r\n");
}

TEST_F(PlaylistFiles, LoadReplacesTheWholeListAndLeavesNoSelection) {
    ASSERT_EQ(createForm(), -1);
    form->ListBox2->Replace({"old1", "old2", "old3"});
    form->ListBox2->SetItemIndex(2);
    writeFile(temp("list.lst"), "n1\rn2\nn3\r\n");
    answer(temp("list.lst"));
    form->imgLoadClick();
    EXPECT_EQ(items(), (Items{"n1", "n2", "n3"}));
    EXPECT_EQ(form->ListBox2->ItemIndex(), -1);
    EXPECT_EQ(form->OpenDialog2->lastPath, temp("list.lst"));
}

TEST_F(PlaylistFiles, EditsAfterALoadAreSavedExactly) {
    ASSERT_EQ(createForm(), -1);
    writeFile(temp("in.lst"), QByteArray("one\r\ntwo\r\n\xff three\r\n\0ignored", 25));
    answer(temp("in.lst"));
    form->imgLoadClick();
    form->ListBox2->SetItemIndex(0);
    form->imgSitaMouseDown(Qt::LeftButton, Qt::NoModifier, {});   // two, one, \xff three
    form->WMDropFiles({"/dropped/four.avi", QByteArray(70000, 'L')});
    form->ListBox2->SetItemIndex(2);
    form->DeleteSelectedItem();                                      // two, one, four, LLL...
    answer(temp("out.lst"));
    form->imgSaveClick();
    EXPECT_EQ(readFile(temp("out.lst")), "two\r\none\r\n/dropped/four.avi\r\n" + QByteArray(70000, 'L') + "\r\n");
    EXPECT_EQ(items(), (Items{"two", "one", "/dropped/four.avi", QByteArray(70000, 'L')}));
}

TEST_F(PlaylistFiles, FailedLoadLeavesTheListAsItWas) {
    ASSERT_EQ(createForm(), -1);
    form->ListBox2->Replace({"a", "b"});
    form->ListBox2->SetItemIndex(1);
    for (const QByteArray& path : {temp("typed but missing.txt"), QFile::encodeName(dir.path())}) {
        messages.clear();
        answer(path);
        click(form->imgLoad);
        EXPECT_EQ(errorTexts(), std::vector<QString>{box(OpenErrorMessage(path))});
        EXPECT_EQ(items(), (Items{"a", "b"}));
        EXPECT_EQ(form->ListBox2->ItemIndex(), 1);
    }
    answer({});  // cancelled: nothing at all
    messages.clear();
    form->imgLoadClick();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(items(), (Items{"a", "b"}));
}

TEST_F(PlaylistFiles, SaveWritesTheNameAsTypedAndReplacesWithoutAsking) {
    ASSERT_EQ(createForm(), -1);
    form->ListBox2->Replace({"a", "", "\xff"});
    writeFile(temp("noext"), "old\r\n");
    answer(temp("noext"));
    form->imgSaveClick();
    EXPECT_EQ(readFile(temp("noext")), QByteArray("a\r\n\r\n\xff\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"noext"});
    EXPECT_TRUE(messages.empty());
}

TEST_F(PlaylistFiles, SaveToAFolderNameGivesTheCreateError) {
    ASSERT_EQ(createForm(), -1);
    form->ListBox2->Replace({"a"});
    answer(QFile::encodeName(dir.path()));
    click(form->imgSave);
    EXPECT_EQ(errorTexts(), std::vector<QString>{box(CreateErrorMessage(QFile::encodeName(dir.path())))});
}

TEST_F(PlaylistFiles, DiskFullSaveKeepsTheOldFile) {
    ASSERT_EQ(createForm(), -1);
    form->ListBox2->Replace({"/movies/first.avi", "/movies/second.avi"});
    writeFile(temp("list.txt"), "kept\r\n");
    SetListFileWriter([](int, const char*, std::size_t) -> ssize_t {
        errno = ENOSPC;
        return -1;
    });
    answer(temp("list.txt"));
    click(form->imgSave);
    EXPECT_EQ(errorTexts(), std::vector<QString>{box(WriteErrorMessage())});
    EXPECT_EQ(readFile(temp("list.txt")), "kept\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"list.txt"});
}

}  // namespace

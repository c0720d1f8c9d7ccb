// Full-screen playback on the fake display and media layers: the checks, entry and exit,
// the sequencing of the playlist, and the exits that must always complete.
#include "Application.h"
#include "Cursor.h"
#include "FormFixture.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>

namespace {

using Calls = std::vector<std::string>;

class PlaybackTest : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        ASSERT_TRUE(dir.isValid());
        ASSERT_EQ(createForm(), -1);
        form->move(100, 50);
        settle();
    }

    // An item whose file exists, with a clip of that length in the fake player.
    QByteArray clip(const char* name, int durationMs = 1000) {
        const QByteArray path = QFile::encodeName(dir.filePath(QString::fromLatin1(name)));
        std::ofstream(path.constData()) << "movie";
        media.clips[path] = FakeClip{durationMs, std::nullopt, true};
        return path;
    }
    QByteArray missing(const char* name) { return QFile::encodeName(dir.filePath(QString::fromLatin1(name))); }

    void setPlaylist(const std::vector<QByteArray>& items) {
        form->ListBox2->Replace(items);
    }
    void selectMode(int line) { form->ListBox1->setCurrentRow(line); }

    std::vector<std::string> opened() const {
        std::vector<std::string> out;
        for (const auto& call : media.calls)
            if (call.rfind("open ", 0) == 0) out.push_back(call.substr(5 + dir.path().size() + 1));
        return out;
    }

    // Lets the clip play for ms and the loop react.
    void play(int ms) {
        media.advance(ms);
        settle();
    }

    bool cursorBlank() const {
        return QGuiApplication::overrideCursor() != nullptr &&
               QGuiApplication::overrideCursor()->shape() == Qt::BlankCursor;
    }

    void expectWindowed(const QRect& bounds) {
        EXPECT_FALSE(form->FPlaying);
        EXPECT_TRUE(form->Panel1->isVisible());
        EXPECT_EQ(form->BorderStyle(), TBorderStyle::bsSizeable);
        EXPECT_EQ(form->frameGeometry(), bounds);
        EXPECT_FALSE(cursorBlank());
        EXPECT_FALSE(Application->OnIdle);
        EXPECT_EQ(form->FDirectDraw, nullptr);
        EXPECT_EQ(display.liveObjects, 0);
        EXPECT_FALSE(display.switched);
    }

    QTemporaryDir dir;
};

TEST_F(PlaybackTest, TheChecksComeFirstAndChangeNothing) {
    const struct {
        const char* name;
        bool items;
        bool mode;
        const char* message;
    } cases[] = {
        {"empty playlist, no mode", false, false, "PlayListに再生したいファイルを追加してください。"},
        {"empty playlist, a mode", false, true, "PlayListに再生したいファイルを追加してください。"},
        {"a playlist, no mode", true, false, "ScreenSizeが指定されていません"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        display.calls.clear();
        setPlaylist(c.items ? std::vector<QByteArray>{clip("a.avi")} : std::vector<QByteArray>{});
        form->ListBox1->clearSelection();
        form->ListBox1->setCurrentRow(-1);
        if (c.mode) selectMode(0);
        const QRect bounds = form->frameGeometry();
        QTest::mouseClick(form->imgPlay, Qt::LeftButton);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].kind, MessageKind::Plain);
        EXPECT_EQ(messages[0].caption, kApplicationTitle);
        EXPECT_EQ(messages[0].text, QString::fromUtf8(c.message));
        EXPECT_TRUE(display.calls.empty());
        expectWindowed(bounds);
    }
}

TEST_F(PlaybackTest, TheSelectedLineChoosesItsTableEntry) {
    // Modes 640, 800, 1024 are listed 1024, 800, 640: the top line is the last entry.
    const struct {
        int line;
        Calls calls;
    } cases[] = {
        {0, {"create", "cooperative 17", "mode 1024x768x32"}},
        {2, {"create", "cooperative 17", "mode 640x480x32"}},
    };
    setPlaylist({clip("a.avi", 60000)});
    for (const auto& c : cases) {
        display.calls.clear();
        selectMode(c.line);
        form->StartPlayback();
        EXPECT_EQ(display.calls, c.calls);
        EXPECT_EQ(display.cooperativeWindow, form);
        form->StopPlayback();
    }
}

TEST_F(PlaybackTest, EntryTakesTheScreenAndExitGivesEverythingBack) {
    setPlaylist({clip("a.avi"), clip("b.avi")});
    selectMode(1);
    const QRect bounds = form->frameGeometry();
    form->ListBox2->setFocus();
    QTest::mouseClick(form->imgPlay, Qt::LeftButton);
    EXPECT_TRUE(form->FPlaying);
    EXPECT_TRUE(form->FMediaOpen);
    EXPECT_FALSE(form->Panel1->isVisible());
    EXPECT_EQ(form->BorderStyle(), TBorderStyle::bsNone);
    EXPECT_FALSE(form->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_TRUE(cursorBlank());
    EXPECT_TRUE(Application->OnIdle);
    EXPECT_EQ(form->geometry(), QRect(0, 0, 800, 600));
    EXPECT_EQ(form->PanelScreen->size(), QSize(800, 600));
    EXPECT_EQ(form->FSavedWidth, bounds.width());
    EXPECT_EQ(form->FSavedHeight, bounds.height());
    EXPECT_EQ(form->FSavedTop, bounds.top());
    EXPECT_EQ(form->FSavedLeft, bounds.left());
    EXPECT_EQ(opened(), (std::vector<std::string>{"a.avi"}));

    QTest::keyClick(form, Qt::Key_Q);
    expectWindowed(bounds);
    EXPECT_EQ(display.calls.back(), "release");
    EXPECT_EQ(media.calls.back(), "close");
    // The input method stays off, and the item that played stays selected.
    EXPECT_FALSE(form->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_EQ(form->ListBox2->ItemIndex(), 0);
}

TEST_F(PlaybackTest, KeysThatProduceACharacterEndPlaybackOthersDoNot) {
    setPlaylist({clip("a.avi", 60000)});
    selectMode(0);
    const struct {
        Qt::Key key;
        bool ends;
    } keys[] = {
        {Qt::Key_Left, false}, {Qt::Key_Up, false}, {Qt::Key_Shift, false}, {Qt::Key_F5, false},
        {Qt::Key_A, true},     {Qt::Key_7, true},   {Qt::Key_Space, true}, {Qt::Key_Return, true},
        {Qt::Key_Escape, true}, {Qt::Key_Backspace, true},
    };
    for (const auto& k : keys) {
        form->StartPlayback();
        ASSERT_TRUE(form->FPlaying);
        QTest::keyClick(form, k.key);
        EXPECT_EQ(!form->FPlaying, k.ends) << QTest::toString(k.key);
        form->StopPlayback();
    }
}

TEST_F(PlaybackTest, AClickOnTheScreenEndsPlaybackAClickOnTheWindowDoesNothing) {
    setPlaylist({clip("a.avi", 60000)});
    selectMode(0);
    form->StartPlayback();
    QTest::mouseClick(form, Qt::LeftButton);  // FormClick
    EXPECT_TRUE(form->FPlaying);
    QTest::mouseClick(form->PanelScreen, Qt::LeftButton, {}, QPoint(400, 300));
    EXPECT_FALSE(form->FPlaying);
}

TEST_F(PlaybackTest, PlaysFromTheSelectionToTheEndAndStopsOnTheLastItem) {
    setPlaylist({clip("a.avi"), clip("b.avi"), clip("c.avi")});
    form->ListBox2->SetItemIndex(1);
    selectMode(0);
    form->StartPlayback();
    EXPECT_EQ(opened(), (std::vector<std::string>{"b.avi"}));
    play(500);
    EXPECT_EQ(opened().size(), 1u);
    play(500);
    EXPECT_EQ(opened(), (std::vector<std::string>{"b.avi", "c.avi"}));
    EXPECT_EQ(form->ListBox2->ItemIndex(), 2);
    play(1000);
    EXPECT_FALSE(form->FPlaying);
    EXPECT_EQ(form->ListBox2->ItemIndex(), 2);
    EXPECT_EQ(display.liveObjects, 0);
    // The next Play starts with the last item again.
    form->StartPlayback();
    EXPECT_EQ(opened().back(), "c.avi");
}

TEST_F(PlaybackTest, WithoutASelectionPlaybackStartsWithTheFirstItem) {
    setPlaylist({clip("a.avi"), clip("b.avi")});
    selectMode(0);
    form->StartPlayback();
    EXPECT_EQ(form->ListBox2->ItemIndex(), 0);
    EXPECT_EQ(opened(), (std::vector<std::string>{"a.avi"}));
}

TEST_F(PlaybackTest, LoopingWrapsAroundAndASingleItemRepeats) {
    const struct {
        const char* name;
        std::vector<const char*> items;
        std::vector<std::string> expected;
    } cases[] = {
        {"three items", {"a.avi", "b.avi", "c.avi"}, {"a.avi", "b.avi", "c.avi", "a.avi", "b.avi"}},
        {"one item", {"a.avi"}, {"a.avi", "a.avi", "a.avi", "a.avi", "a.avi"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        media.calls.clear();
        std::vector<QByteArray> items;
        for (const char* name : c.items) items.push_back(clip(name));
        setPlaylist(items);
        form->CheckBoxLoop->setChecked(true);
        selectMode(0);
        form->StartPlayback();
        for (int i = 0; i < 4; ++i) play(1000);
        EXPECT_TRUE(form->FPlaying);
        EXPECT_EQ(opened(), c.expected);
        form->StopPlayback();
    }
}

TEST_F(PlaybackTest, TheLoopOptionIsReadAtTheEndOfTheList) {
    setPlaylist({clip("a.avi"), clip("b.avi")});
    selectMode(0);
    form->StartPlayback();
    form->CheckBoxLoop->setChecked(true);  // as if it had been ticked before; read only at the end
    play(1000);
    play(1000);
    EXPECT_TRUE(form->FPlaying);
    EXPECT_EQ(opened().back(), "a.avi");
}

TEST_F(PlaybackTest, StretchSetsThePanelRectangleBeforeEveryClip) {
    setPlaylist({clip("a.avi"), clip("b.avi")});
    form->CheckBoxStretch->setChecked(true);
    selectMode(1);
    form->StartPlayback();
    play(1000);
    const Calls expected{"open " + (dir.path() + "/a.avi").toStdString(), "rect 0,0,800,600", "play",
                         "close", "open " + (dir.path() + "/b.avi").toStdString(), "rect 0,0,800,600", "play"};
    EXPECT_EQ(media.calls, expected);
    form->StopPlayback();

    media.calls.clear();
    form->CheckBoxStretch->setChecked(false);
    form->ListBox2->SetItemIndex(0);
    form->StartPlayback();
    play(1000);
    EXPECT_TRUE(media.rects.size() == 2u);  // none added without stretch
}

TEST_F(PlaybackTest, ItemsAddedDuringPlaybackArePlayed) {
    setPlaylist({clip("a.avi")});
    selectMode(0);
    form->StartPlayback();
    form->WMDropFiles({clip("late.avi")});
    play(1000);
    EXPECT_EQ(opened(), (std::vector<std::string>{"a.avi", "late.avi"}));
}

TEST_F(PlaybackTest, AMissingFirstFileOpensNothingThenPlaybackGoesOnAndTheExitClosesTheClip) {
    setPlaylist({missing("gone.avi"), clip("b.avi", 60000)});
    selectMode(0);
    form->StartPlayback();
    EXPECT_TRUE(form->FPlaying);
    EXPECT_TRUE(messages.empty());
    settle();
    // The player without a clip reads stopped, so the next item follows.
    EXPECT_EQ(opened(), (std::vector<std::string>{"b.avi"}));
    QTest::keyClick(form, Qt::Key_Space);
    EXPECT_FALSE(form->FPlaying);
    EXPECT_EQ(media.calls.back(), "close");
    EXPECT_FALSE(media.current->IsOpen());
    // A second key changes nothing.
    const Calls before = display.calls;
    QTest::keyClick(form, Qt::Key_Space);
    EXPECT_EQ(display.calls, before);
    EXPECT_FALSE(cursorBlank());
    EXPECT_EQ(ShowCursor(true), 1);
    EXPECT_EQ(ShowCursor(false), 0);
}

TEST_F(PlaybackTest, ALaterItemThatFailsIsReportedAndPlaybackGoesOn) {
    const QByteArray broken = clip("broken.avi");
    media.clips[broken].openError = "このファイルは再生できません";
    setPlaylist({clip("a.avi"), broken, missing("gone.avi"), clip("d.avi", 60000)});
    selectMode(0);
    form->StartPlayback();
    play(1000);
    settle();
    settle();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].kind, MessageKind::Error);
    EXPECT_EQ(messages[0].text, QStringLiteral("このファイルは再生できません."));
    EXPECT_EQ(form->ListBox2->ItemIndex(), 3);
    EXPECT_TRUE(form->FPlaying);
    // The exit completes although the item before failed.
    QTest::keyClick(form, Qt::Key_Escape);
    EXPECT_FALSE(form->FPlaying);
    EXPECT_EQ(display.liveObjects, 0);
    EXPECT_FALSE(cursorBlank());
}

TEST_F(PlaybackTest, TheExitCompletesWhenTheLastOpenFailed) {
    const QByteArray broken = clip("broken.avi");
    media.clips[broken].openError = "壊れています";
    setPlaylist({clip("a.avi"), broken});
    form->CheckBoxLoop->setChecked(true);
    selectMode(0);
    const QRect bounds = form->frameGeometry();
    form->StartPlayback();
    media.advance(1000);  // a.avi ends; the next idle pass fails to open broken.avi
    QCoreApplication::processEvents();
    form->StopPlayback();
    expectWindowed(bounds);
}

TEST_F(PlaybackTest, AFailedDisplayStepUndoesTheEntryWithoutAMessage) {
    const struct {
        const char* name;
        HRESULT FakeDisplay::*step;
    } cases[] = {
        {"create", &FakeDisplay::createResult},
        {"cooperative level", &FakeDisplay::cooperativeResult},
        {"display mode", &FakeDisplay::displayModeResult},
    };
    setPlaylist({clip("a.avi")});
    selectMode(0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        display.*(c.step) = DDERR_GENERIC;
        form->ListBox2->setFocus();
        const QRect bounds = form->frameGeometry();
        form->StartPlayback();
        expectWindowed(bounds);
        EXPECT_TRUE(messages.empty());
        EXPECT_TRUE(media.calls.empty());
        EXPECT_EQ(form->focusWidget(), form->ListBox2);
        display.*(c.step) = DD_OK;
    }
}

TEST_F(PlaybackTest, AFirstClipThatCannotBeOpenedUndoesTheEntryThenShowsItsError) {
    const QByteArray broken = clip("broken.avi");
    media.clips[broken].openError = "対応していない形式です";
    setPlaylist({broken});
    selectMode(0);
    const QRect bounds = form->frameGeometry();
    QTest::mouseClick(form->imgPlay, Qt::LeftButton);
    expectWindowed(bounds);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Error);
    EXPECT_EQ(messages[0].text, QStringLiteral("対応していない形式です."));
    EXPECT_FALSE(form->FMediaOpen);
}

TEST_F(PlaybackTest, EveryPlayTakesTheBoundsAfreshAndANewDisplayObject) {
    setPlaylist({clip("a.avi", 60000)});
    selectMode(0);
    form->StartPlayback();
    form->StopPlayback();
    form->move(160, 90);
    settle();
    const QRect moved = form->frameGeometry();
    display.calls.clear();
    form->StartPlayback();
    EXPECT_EQ(display.calls.front(), "create");
    EXPECT_EQ(form->FSavedLeft, moved.left());
    EXPECT_EQ(form->FSavedTop, moved.top());
    form->StopPlayback();
    expectWindowed(moved);
}

TEST_F(PlaybackTest, TheLoopSleepsWhileAClipPlays) {
    setPlaylist({clip("a.avi", 60000)});
    selectMode(0);
    form->StartPlayback();
    settle();
    const int passes = Application->IdlePasses();
    settle(200);
    // The idle handler leaves Done false, yet with nothing happening it is not run again and again.
    EXPECT_LE(Application->IdlePasses() - passes, 1);
    form->StopPlayback();
}

TEST_F(PlaybackTest, ClosingTheWindowDuringPlaybackWritesThePlaylistWithoutStopping) {
    setPlaylist({clip("a.avi", 60000)});
    selectMode(0);
    form->StartPlayback();
    EXPECT_TRUE(form->FormClose());
    EXPECT_TRUE(form->FPlaying);
    form->StopPlayback();
}

}  // namespace

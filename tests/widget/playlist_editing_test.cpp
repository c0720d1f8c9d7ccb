// Editing the playlist in the main window: the move triangles, delete, clear, the add dialog
// and drops, with the selection that playback relies on afterwards.
#include "FileDialogs.h"
#include "FormFixture.h"
#include "TPlaylistBox.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

#include <functional>
#include <string>

namespace {

using Items = std::vector<QByteArray>;

class PlaylistEditing : public FormFixture {
public:
    // The cases' actions reach the window through the fixture.
    TfrmMain* window() const { return form; }

protected:
    void SetUp() override {
        FormFixture::SetUp();
        ASSERT_EQ(createForm(), -1);
    }
    void TearDown() override {
        TFileDialogSettings::SetRunner({});
        FormFixture::TearDown();
    }

    void fill(const Items& items, int selected) {
        form->ListBox2->Replace(items);
        form->ListBox2->SetItemIndex(selected);
    }
    Items items() const { return form->ListBox2->Items(); }
    int selected() const { return form->ListBox2->ItemIndex(); }

public:
    static void press(QWidget* target, Qt::MouseButton button, QEvent::Type type = QEvent::MouseButtonPress) {
        const QPointF at(2, 2);
        QMouseEvent event(type, at, target->mapToGlobal(at), button, button, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    }
    static void release(QWidget* target, Qt::MouseButton button) {
        const QPointF at(2, 2);
        QMouseEvent event(QEvent::MouseButtonRelease, at, target->mapToGlobal(at), button, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    }
    static void click(QWidget* target, Qt::MouseButton button = Qt::LeftButton) {
        press(target, button);
        release(target, button);
    }
    // What a double click delivers: press, release, double-click press, release.
    static void doubleClick(QWidget* target) {
        click(target);
        press(target, Qt::LeftButton, QEvent::MouseButtonDblClick);
        release(target, Qt::LeftButton);
    }
    void key(int code, Qt::KeyboardModifiers modifiers, bool autoRepeat = false) {
        QKeyEvent event(QEvent::KeyPress, code, modifiers, QString(), autoRepeat);
        QCoreApplication::sendEvent(window()->ListBox2, &event);
    }
};

TEST_F(PlaylistEditing, MovesFollowTheSelectionTable) {
    const Items abcd{"a", "b", "c", "d"};
    const struct {
        const char* name;
        int selectedBefore;
        std::function<void(PlaylistEditing&)> action;
        Items after;
        int selectedAfter;
    } cases[] = {
        {"up", 2, [](PlaylistEditing& t) { click(t.window()->imgUe); }, {"a", "c", "b", "d"}, 1},
        {"up at the top", 0, [](PlaylistEditing& t) { click(t.window()->imgUe); }, abcd, 0},
        {"up without selection", -1, [](PlaylistEditing& t) { click(t.window()->imgUe); }, abcd, -1},
        {"up with the right button", 2, [](PlaylistEditing& t) { click(t.window()->imgUe, Qt::RightButton); }, {"a", "c", "b", "d"}, 1},
        {"up with the middle button", 3, [](PlaylistEditing& t) { click(t.window()->imgUe, Qt::MiddleButton); }, {"a", "b", "d", "c"}, 2},
        {"up on a press, before the release", 1, [](PlaylistEditing& t) { press(t.window()->imgUe, Qt::LeftButton); }, {"b", "a", "c", "d"}, 0},
        {"double click up moves twice", 3, [](PlaylistEditing& t) { doubleClick(t.window()->imgUe); }, {"a", "d", "b", "c"}, 1},
        {"down", 1, [](PlaylistEditing& t) { click(t.window()->imgSita); }, {"a", "c", "b", "d"}, 2},
        {"down at the bottom", 3, [](PlaylistEditing& t) { click(t.window()->imgSita); }, abcd, 3},
        {"down without selection", -1, [](PlaylistEditing& t) { click(t.window()->imgSita); }, abcd, -1},
        {"double click down moves twice", 0, [](PlaylistEditing& t) { doubleClick(t.window()->imgSita); }, {"b", "c", "a", "d"}, 2},
        {"up then down restores", 2, [](PlaylistEditing& t) { click(t.window()->imgUe); click(t.window()->imgSita); }, abcd, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fill(abcd, c.selectedBefore);
        c.action(*this);
        EXPECT_EQ(items(), c.after);
        EXPECT_EQ(selected(), c.selectedAfter);
    }
}

TEST_F(PlaylistEditing, DeleteRemovesTheSelectedItemAndLeavesNoSelection) {
    const Items abcd{"a", "b", "c", "d"};
    const struct {
        const char* name;
        int selectedBefore;
        std::function<void(PlaylistEditing&)> action;
        Items after;
        int selectedAfter = -1;
    } cases[] = {
        {"Delete picture", 1, [](PlaylistEditing& t) { click(t.window()->imgDelete); }, {"a", "c", "d"}},
        {"Delete picture, no selection", -1, [](PlaylistEditing& t) { click(t.window()->imgDelete); }, abcd},
        {"Delete key", 3, [](PlaylistEditing& t) { t.key(Qt::Key_Delete, Qt::NoModifier); }, {"a", "b", "c"}},
        {"Shift+Delete", 0, [](PlaylistEditing& t) { t.key(Qt::Key_Delete, Qt::ShiftModifier); }, {"b", "c", "d"}},
        {"Ctrl+Delete", 1, [](PlaylistEditing& t) { t.key(Qt::Key_Delete, Qt::ControlModifier); }, {"a", "c", "d"}},
        {"Alt+Delete", 2, [](PlaylistEditing& t) { t.key(Qt::Key_Delete, Qt::AltModifier); }, {"a", "b", "d"}},
        {"Delete key, no selection", -1, [](PlaylistEditing& t) { t.key(Qt::Key_Delete, Qt::NoModifier); }, abcd},
        {"Delete held down removes one item",
         1,
         [](PlaylistEditing& t) {
             t.key(Qt::Key_Delete, Qt::NoModifier);
             t.key(Qt::Key_Delete, Qt::NoModifier, true);
             t.key(Qt::Key_Delete, Qt::NoModifier, true);
         },
         {"a", "c", "d"}},
        {"another key", 1, [](PlaylistEditing& t) { t.key(Qt::Key_Backspace, Qt::NoModifier); }, abcd, 1},
        {"Clear", 2, [](PlaylistEditing& t) { click(t.window()->imgClear); }, {}},
        {"Clear, no selection", -1, [](PlaylistEditing& t) { click(t.window()->imgClear); }, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fill(abcd, c.selectedBefore);
        c.action(*this);
        EXPECT_EQ(items(), c.after);
        EXPECT_EQ(selected(), c.selectedAfter);
    }
}

TEST_F(PlaylistEditing, AddedFilesAreAppendedInTheDialogsOrderWithoutMovingTheSelection) {
    int shown = 0;
    TFileDialogSettings::SetRunner([&](TFileDialogSettings& dialog) -> Items {
        ++shown;
        EXPECT_TRUE(dialog.multiSelect);
        if (shown == 1) return {"/m/z.avi", "/m/y.mpg", "/m/a.avi"};
        if (shown == 2) return {};  // cancelled
        return {"/m/a.avi"};        // already in the list: a second item for it
    });
    fill({"first"}, 0);
    click(form->imgAddFile);
    EXPECT_EQ(items(), (Items{"first", "/m/z.avi", "/m/y.mpg", "/m/a.avi"}));
    EXPECT_EQ(selected(), 0);
    EXPECT_EQ(form->OpenDialog1->lastPath, "/m/z.avi");  // the next use starts there

    click(form->imgAddFile);
    EXPECT_EQ(items().size(), 4u);
    EXPECT_EQ(form->OpenDialog1->lastPath, "/m/z.avi");

    click(form->imgAddFile);
    EXPECT_EQ(items(), (Items{"first", "/m/z.avi", "/m/y.mpg", "/m/a.avi", "/m/a.avi"}));
    EXPECT_EQ(selected(), 0);
}

TEST_F(PlaylistEditing, DroppedFilesAndFoldersAreAppendedAsBytes) {
    fill({"first", "second"}, 1);
    const QByteArray longName = "/m/" + QByteArray(400, 'n') + ".avi";
    QMimeData data;
    data.setData("text/uri-list", "file:///m/%FF%FE.avi\r\nhttp://example.org/x.avi\r\nfile:///m/folder/\r\nfile://" +
                                      longName + "\r\n");
    const QPointF at(form->width() / 2.0, form->height() / 2.0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form, &drop);

    EXPECT_EQ(items(), (Items{"first", "second", "/m/\xff\xfe.avi", "/m/folder/", longName}));
    EXPECT_EQ(selected(), 1);
    // Shown readably, kept exactly.
    EXPECT_EQ(form->ListBox2->model()->index(2, 0).data().toString(), QStringLiteral("/m/\\xff\\xfe.avi"));
}

}  // namespace

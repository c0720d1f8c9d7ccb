// Start-up of the main window on the fake display: the order of creation, the halts, the
// mode list, the idle handler, the components, and errors at the event boundary.
#include "Application.h"
#include "Exception.h"
#include "FormFixture.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QListWidget>
#include <QTimer>

#include <fstream>
#include <sstream>

namespace {

using Calls = std::vector<std::string>;

class StartupTest : public FormFixture {};

TEST_F(StartupTest, HaltsWithExitCode1WhenTheDisplayCannotBeCreatedOrEnumerated) {
    const struct {
        const char* name;
        HRESULT create;
        HRESULT enumerate;
        Calls calls;
    } cases[] = {
        {"create fails", DDERR_NODIRECTDRAWHW, DD_OK, {"create"}},
        {"enumeration fails", DD_OK, DDERR_GENERIC, {"create", "enum", "release"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The stored playlist stays as it was.
        const std::string stored = "/movies/keep.avi\r\n";
        std::ofstream(AutoSavePathOfThisProcess(), std::ios::binary) << stored;
        display.calls.clear();
        display.createResult = c.create;
        display.enumResult = c.enumerate;
        EXPECT_EQ(createForm(), 1);
        EXPECT_EQ(display.calls, c.calls);
        EXPECT_EQ(display.liveObjects, 0);
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(Form2, nullptr);
        EXPECT_FALSE(frmMain->isVisible());
        std::stringstream content;
        content << std::ifstream(AutoSavePathOfThisProcess(), std::ios::binary).rdbuf();
        EXPECT_EQ(content.str(), stored);
        delete frmMain;
        frmMain = form = nullptr;
    }
}

TEST_F(StartupTest, ListsTheModesInReverseAndHoldsNoDisplayObject) {
    display.modes = {{640, 480, 16}, {800, 600, 32}, {1024, 768, 32}};
    ASSERT_EQ(createForm(), -1);
    ASSERT_EQ(form->ListBox1->count(), 3);
    EXPECT_EQ(form->ListBox1->item(0)->text(), "1024x768(32)");
    EXPECT_EQ(form->ListBox1->item(1)->text(), "800x600(32)");
    EXPECT_EQ(form->ListBox1->item(2)->text(), "640x480(16)");
    EXPECT_EQ(ListBoxItemIndex(form->ListBox1), -1);
    EXPECT_EQ(form->FDirectDraw, nullptr);
    EXPECT_EQ(display.liveObjects, 0);
    EXPECT_EQ(display.calls, (Calls{"create", "enum", "release"}));
}

TEST_F(StartupTest, NoModesGiveAnEmptyList) {
    display.modes.clear();
    ASSERT_EQ(createForm(), -1);
    EXPECT_EQ(form->ListBox1->count(), 0);
}

TEST_F(StartupTest, NoIdleHandlerAfterTheFirstIdleMoment) {
    ASSERT_EQ(createForm(), -1);
    // createForm has let the loop run until nothing was pending.
    EXPECT_FALSE(Application->OnIdle);
    EXPECT_GT(Application->IdlePasses(), 0);
}

TEST_F(StartupTest, AnErrorRaisedInAHandlerIsShownAndTheLoopGoesOn) {
    ASSERT_EQ(createForm(), -1);
    bool later = false;
    QTimer::singleShot(0, [] { throw Exception("ファイル /x は開けません"); });
    QTimer::singleShot(5, [&] { later = true; });
    for (int i = 0; i < 20 && !later; ++i) settle();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Error);
    EXPECT_EQ(messages[0].caption, kApplicationTitle);
    EXPECT_EQ(messages[0].text, QStringLiteral("ファイル /x は開けません."));
    EXPECT_TRUE(later);
}

TEST_F(StartupTest, TheWindowAndItsComponents) {
    ASSERT_EQ(createForm(), -1);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("DirectDraw FullScreen MOVIE Player \"zuKINEO\""));
    EXPECT_EQ(Application->Title, QStringLiteral("DirectDraw で FullScreen MOVIE 再生 \"zuKINEO\" ver.2.4.2"));
    EXPECT_EQ(Application->HelpFile, QStringLiteral("zuKINEO.hlp"));
    const struct {
        const char* name;
        const char* kind;
        const char* parent;
    } components[] = {
        {"PanelScreen", "TPanel", "TfrmMain"},     {"Panel1", "TPanel", "TfrmMain"},
        {"imgIcon", "TImage", "Panel1"},           {"Image2", "TImage", "Panel1"},
        {"Image3", "TImage", "Panel1"},            {"Image4", "TImage", "Panel1"},
        {"imgAddFile", "TImage", "Panel1"},        {"imgPlay", "TImage", "Panel1"},
        {"imgLoop", "TImage", "Panel1"},           {"imgStretch", "TImage", "Panel1"},
        {"imgClear", "TImage", "Panel1"},          {"imgUe", "TImage", "Panel1"},
        {"imgSita", "TImage", "Panel1"},           {"imgDelete", "TImage", "Panel1"},
        {"imgLoad", "TImage", "Panel1"},           {"imgSave", "TImage", "Panel1"},
        {"ListBox1", "QListWidget", "Panel1"},     {"ListBox2", "TPlaylistBox", "Panel1"},
        {"CheckBoxLoop", "QCheckBox", "Panel1"},   {"CheckBoxStretch", "QCheckBox", "Panel1"},
    };
    for (const auto& c : components) {
        auto* widget = form->findChild<QWidget*>(QString::fromLatin1(c.name));
        ASSERT_NE(widget, nullptr) << c.name;
        EXPECT_STREQ(widget->metaObject()->className(), c.kind) << c.name;
        EXPECT_EQ(widget->parentWidget()->objectName().toStdString(), c.parent) << c.name;
    }
    // The three dialogs and the media player are the non-visual components.
    EXPECT_NE(form->OpenDialog1, nullptr);
    EXPECT_NE(form->OpenDialog2, nullptr);
    EXPECT_NE(form->SaveDialog1, nullptr);
    EXPECT_NE(form->MediaPlayer1, nullptr);
    // Later siblings lie above earlier ones: the order of Panel1's children is the creation order.
    const auto children = form->Panel1->children();
    EXPECT_LT(children.indexOf(form->imgIcon), children.indexOf(form->Image2));
    EXPECT_LT(children.indexOf(form->imgLoop), children.indexOf(form->CheckBoxLoop));
    EXPECT_LT(form->PanelScreen->parent()->children().indexOf(form->PanelScreen),
              form->Panel1->parent()->children().indexOf(form->Panel1));
    EXPECT_EQ(form->ListBox1->accessibleName(), "ScreenSize");
    EXPECT_EQ(form->ListBox2->accessibleName(), "PlayList");
    EXPECT_FALSE(form->CheckBoxLoop->isChecked());
    EXPECT_FALSE(form->CheckBoxStretch->isChecked());
}

TEST_F(StartupTest, TheJapaneseFontResolvesToIpaPGothic) {
    ASSERT_EQ(createForm(), -1);
    EXPECT_EQ(form->ListBox1->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(form->ListBox1->font().pixelSize(), 12);
    EXPECT_EQ(QFontInfo(form->ListBox1->font()).family(), QStringLiteral("IPAPGothic"));
}

TEST_F(StartupTest, TheAboutWindowExistsHidden) {
    ASSERT_EQ(createForm(), -1);
    ASSERT_NE(Form2, nullptr);
    EXPECT_FALSE(Form2->isVisible());
}

}  // namespace

// The main window's layout on the offscreen platform: places after start-up and after a
// resize, the minimum size, drop registration, the option toggles and the accessible names.
#include "FormFixture.h"
#include "LayoutMath.h"

#include <QAccessible>
#include <QCheckBox>
#include <QFontInfo>
#include <QListWidget>
#include <QTest>

namespace {

class LayoutForm : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        ASSERT_EQ(createForm(), -1);
    }

    // A left click at a point of the main window's client area, delivered as the window
    // system delivers it: to whichever control lies on top there.
    void clickAt(QPoint point) {
        QTest::mouseClick(form->windowHandle(), Qt::LeftButton, Qt::NoModifier, point);
        settle();
    }

    QRect placeOf(QWidget* w) { return w->geometry(); }
};

struct Expected {
    const char* name;
    QRect place;
};

// The places that a client area of 600 x 400 gives after a start at 376 x 257.
const Expected kPlacesAt600x400[] = {
    {"CheckBoxLoop", {8, 327, 17, 17}},  {"imgLoop", {24, 327, 119, 20}},
    {"CheckBoxStretch", {8, 351, 17, 17}}, {"imgStretch", {24, 351, 112, 18}},
        {"ListBox1", {8, 80, 113, 240}},     {"Image2", {266, 8, 326, 39}},
        {"imgUe", {576, 80, 16, 13}},        {"imgPlay", {282, 375, 35, 19}},
        {"imgDelete", {480, 351, 56, 18}},   {"imgClear", {544, 351, 45, 18}},
        {"imgAddFile", {416, 327, 74, 18}},  {"imgSita", {576, 307, 16, 13}},
        {"imgLoad", {500, 327, 40, 18}},     {"imgSave", {548, 327, 41, 18}},
        {"ListBox2", {128, 80, 441, 240}},   {"imgIcon", {16, 16, 32, 32}},
        {"Image3", {16, 64, 94, 15}},        {"Image4", {136, 64, 66, 19}},
};

TEST_F(LayoutForm, StartUpPlacesEveryControlAndCentresPlay) {
    const layout::Places design = layout::DesignPlaces();
    const std::pair<QWidget*, layout::Place> cases[] = {
        {form->imgIcon, design.imgIcon},       {form->Image2, design.Image2},
        {form->Image3, design.Image3},         {form->Image4, design.Image4},
        {form->ListBox1, design.ListBox1},     {form->ListBox2, design.ListBox2},
        {form->CheckBoxLoop, design.CheckBoxLoop}, {form->imgLoop, design.imgLoop},
        {form->imgAddFile, design.imgAddFile}, {form->imgLoad, design.imgLoad},
        {form->imgSave, design.imgSave},       {form->CheckBoxStretch, design.CheckBoxStretch},
        {form->imgStretch, design.imgStretch}, {form->imgDelete, design.imgDelete},
        {form->imgClear, design.imgClear},     {form->imgUe, design.imgUe},
        {form->imgSita, design.imgSita},
    };
    for (const auto& [widget, p] : cases)
        EXPECT_EQ(placeOf(widget), QRect(p.Left, p.Top, p.Width, p.Height)) << widget->objectName().toStdString();
    EXPECT_EQ(placeOf(form->imgPlay), QRect(170, 232, 35, 19));
    EXPECT_EQ(form->size(), QSize(376, 257));
    EXPECT_EQ(placeOf(form->Panel1), form->rect());
    EXPECT_EQ(placeOf(form->PanelScreen), form->rect());
}

TEST_F(LayoutForm, GapsAreMeasuredIntoTheFields) {
    const std::pair<const char*, std::int32_t> fields[] = {
        {"FCheckBoxLoopBottomGap", form->FCheckBoxLoopBottomGap}, {"FImgLoopBottomGap", form->FImgLoopBottomGap},
        {"FCheckBoxStretchBottomGap", form->FCheckBoxStretchBottomGap},
        {"FImgStretchBottomGap", form->FImgStretchBottomGap},     {"FListBox1BottomGap", form->FListBox1BottomGap},
        {"FImage2RightGap", form->FImage2RightGap},               {"FImgUeRightGap", form->FImgUeRightGap},
        {"FImgPlayBottomGap", form->FImgPlayBottomGap},           {"FImgDeleteRightGap", form->FImgDeleteRightGap},
        {"FImgDeleteBottomGap", form->FImgDeleteBottomGap},       {"FImgClearRightGap", form->FImgClearRightGap},
        {"FImgClearBottomGap", form->FImgClearBottomGap},         {"FImgAddFileRightGap", form->FImgAddFileRightGap},
        {"FImgAddFileBottomGap", form->FImgAddFileBottomGap},     {"FImgSitaRightGap", form->FImgSitaRightGap},
        {"FImgSitaBottomGap", form->FImgSitaBottomGap},           {"FImgLoadRightGap", form->FImgLoadRightGap},
        {"FImgLoadBottomGap", form->FImgLoadBottomGap},           {"FImgSaveRightGap", form->FImgSaveRightGap},
        {"FImgSaveBottomGap", form->FImgSaveBottomGap},           {"FListBox2RightGap", form->FListBox2RightGap},
        {"FListBox2BottomGap", form->FListBox2BottomGap},
    };
    const std::int32_t expected[] = {56, 53, 32, 31, 80, 8, 8, 6, 64, 31, 11, 31, 110, 55, 8, 80, 60, 55, 11, 55, 31, 80};
    for (std::size_t i = 0; i < std::size(fields); ++i) EXPECT_EQ(fields[i].second, expected[i]) << fields[i].first;
}

TEST_F(LayoutForm, ResizeTo600x400MovesEachControlToItsEdge) {
    form->resize(600, 400);
    settle();
    for (const Expected& e : kPlacesAt600x400) {
        auto* widget = form->findChild<QWidget*>(QString::fromLatin1(e.name));
        ASSERT_NE(widget, nullptr) << e.name;
        EXPECT_EQ(placeOf(widget), e.place) << e.name;
    }
    EXPECT_EQ(placeOf(form->Panel1), QRect(0, 0, 600, 400));
    // Back to the creation size: the creation layout again.
    form->resize(376, 257);
    settle();
    EXPECT_EQ(placeOf(form->imgPlay), QRect(170, 232, 35, 19));
    EXPECT_EQ(placeOf(form->ListBox2), QRect(128, 80, 217, 97));
}

// Before the window manager frames the window its outer size is its client size, so the
// minimum taken at creation is the creation client size, and Qt refuses anything smaller.
TEST_F(LayoutForm, CannotBeMadeSmallerThanAtCreation) {
    EXPECT_EQ(form->FMinWidth, 376);
    EXPECT_EQ(form->FMinHeight, 257);
    EXPECT_EQ(form->minimumSize(), QSize(376, 257));
    for (const QSize wanted : {QSize(200, 100), QSize(375, 300), QSize(500, 256)}) {
        form->resize(wanted);
        settle();
        EXPECT_EQ(form->size(), wanted.expandedTo(QSize(376, 257))) << wanted.width() << "x" << wanted.height();
    }
}

TEST_F(LayoutForm, AcceptsDropsAfterStartUp) { EXPECT_TRUE(form->acceptDrops()); }

TEST_F(LayoutForm, EachClickOnALabelPictureTogglesItsCheckBoxOnce) {
    const struct {
        TImage* picture;
        QCheckBox* box;
    } cases[] = {{form->imgLoop, form->CheckBoxLoop}, {form->imgStretch, form->CheckBoxStretch}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture->objectName().toStdString());
        int toggles = 0;
        QObject::connect(c.box, &QCheckBox::toggled, form, [&toggles] { ++toggles; });
        // Right of the check box's column, which covers the picture's left-most column.
        const QPoint onPicture = c.picture->geometry().center();
        ASSERT_FALSE(c.box->isChecked());
        clickAt(onPicture);
        EXPECT_TRUE(c.box->isChecked());
        EXPECT_EQ(toggles, 1);
        clickAt(onPicture);
        EXPECT_FALSE(c.box->isChecked()) << "two clicks restore the check box";
        EXPECT_EQ(toggles, 2);
    }
}

// Where a check box covers the left-most column of its label picture, the check box gets
// the click and toggles itself, once.
TEST_F(LayoutForm, CheckBoxLiesAboveItsLabelPicture) {
    const QPoint overlap(form->imgLoop->x(), form->imgLoop->y() + 8);
    EXPECT_EQ(form->childAt(overlap), form->CheckBoxLoop);
}

TEST_F(LayoutForm, PicturesAndCheckBoxesCarryAccessibleNames) {
    const std::pair<QWidget*, const char*> cases[] = {
        {form->imgAddFile, "Add File"},   {form->imgPlay, "Play"},         {form->imgLoop, "LoopPlayMode"},
        {form->imgStretch, "StretchMode"}, {form->imgLoad, "Load"},        {form->imgSave, "Save"},
        {form->imgDelete, "Delete"},      {form->imgClear, "Clear"},       {form->imgIcon, "About"},
        {form->imgUe, "Up"},              {form->imgSita, "Down"},         {form->CheckBoxLoop, "LoopPlayMode"},
        {form->CheckBoxStretch, "StretchMode"}, {form->ListBox1, "ScreenSize"}, {form->ListBox2, "PlayList"},
    };
    for (const auto& [widget, name] : cases) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(a, nullptr) << name;
        EXPECT_EQ(a->text(QAccessible::Name), QString::fromUtf8(name));
    }
}

// Assistive technology sees clickable pictures as buttons it can press, the others as graphics.
TEST_F(LayoutForm, ClickablePicturesArePressableThroughAccessibility) {
    QAccessibleInterface* loop = QAccessible::queryAccessibleInterface(form->imgLoop);
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->role(), QAccessible::Button);
    ASSERT_NE(loop->actionInterface(), nullptr);
    loop->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    settle();
    EXPECT_TRUE(form->CheckBoxLoop->isChecked());

    QAccessibleInterface* heading = QAccessible::queryAccessibleInterface(form->Image3);
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->role(), QAccessible::Graphic);
    EXPECT_TRUE(heading->actionInterface() == nullptr || heading->actionInterface()->actionNames().isEmpty());
}

// "ＭＳ Ｐゴシック" is not on Linux; the lists must really get IPA P Gothic, 12 pixels high.
TEST_F(LayoutForm, ListsShowTheirTextInIpaPGothic) {
    for (QWidget* list : {static_cast<QWidget*>(form->ListBox1), static_cast<QWidget*>(form->ListBox2)}) {
        const QFontInfo info(list->font());
        EXPECT_EQ(info.family(), QStringLiteral("IPAPGothic")) << list->objectName().toStdString();
        EXPECT_EQ(info.pixelSize(), 12);
    }
}

}  // namespace

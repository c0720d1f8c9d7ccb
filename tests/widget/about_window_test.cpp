// The About window on the offscreen platform: what opens it, its modality, its place, and the
// targets its links hand to the desktop (a recording shell stands in for it).
#include "FormFixture.h"
#include "Shell.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

class AboutWindow : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        ASSERT_EQ(createForm(), -1);
        SetShellHandler([this](const char* file, int show) { shell.emplace_back(file, show); });
    }
    void TearDown() override {
        SetShellHandler({});
        FormFixture::TearDown();
    }

    static void click(QWidget* window, QPoint point) {
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, point);
    }

    // What a click at this point of the main window opens. While the About window is open
    // (the click does not return before it closes), `whileOpen` runs and then the window is
    // closed through its close command.
    bool opensAbout(QPoint point, const std::function<void()>& whileOpen = {}) {
        bool opened = false;
        QTimer watch;
        watch.setInterval(5);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!Form2->isVisible()) return;
            opened = true;
            watch.stop();
            if (whileOpen) whileOpen();
            Form2->close();
        });
        watch.start();
        click(form, point);
        settle();
        return opened;
    }

    std::vector<std::pair<std::string, int>> shell;
};

// imgIcon covers x 16..47 and y 16..47; the title banner, above it, covers x 42..47 from y 8.
TEST_F(AboutWindow, OnlyTheIconsLeft26ColumnsOpenIt) {
    const struct {
        QPoint point;
        bool opens;
    } cases[] = {
        {{16, 16}, true},  {{41, 16}, true},  {{16, 47}, true},  {{41, 47}, true}, {{30, 30}, true},
        {{42, 16}, false}, {{47, 30}, false}, {{45, 46}, false}, {{15, 30}, false}, {{30, 48}, false},
        // Below the banner's bottom row (46) the icon's last row is open across its width.
        {{45, 47}, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(opensAbout(c.point), c.opens) << "click at " << c.point.x() << "," << c.point.y();
}

TEST_F(AboutWindow, IsModalWhileOpen) {
    bool modal = false;
    bool loopUnchanged = false;
    ASSERT_TRUE(opensAbout({20, 20}, [&] {
        modal = QApplication::activeModalWidget() == Form2 && QGuiApplication::modalWindow() == Form2->windowHandle();
        // A click on LoopPlayMode does not reach the main window.
        click(form, form->imgLoop->geometry().center());
        QCoreApplication::processEvents();
        loopUnchanged = !form->CheckBoxLoop->isChecked();
    }));
    EXPECT_TRUE(modal);
    EXPECT_TRUE(loopUnchanged);
    // Closed, the main window takes clicks again.
    click(form, form->imgLoop->geometry().center());
    settle();
    EXPECT_TRUE(form->CheckBoxLoop->isChecked());
}

TEST_F(AboutWindow, IsAFixedToolWindowOfItsOwnSize) {
    EXPECT_TRUE(Form2->windowFlags().testFlag(Qt::Tool));
    EXPECT_FALSE(Form2->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(Form2->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_EQ(Form2->size(), QSize(356, 59));
    EXPECT_EQ(Form2->minimumSize(), QSize(356, 59));
    EXPECT_EQ(Form2->maximumSize(), QSize(356, 59));
    EXPECT_EQ(Form2->windowTitle(), QStringLiteral("About zuKINEO"));
    EXPECT_FALSE(Form2->isVisible()) << "hidden until the icon is clicked";
}

TEST_F(AboutWindow, CentredFirstThenWhereItWasLeft) {
    QPoint first;
    ASSERT_TRUE(opensAbout({20, 20}, [&] { first = Form2->geometry().center(); }));
    // The client area is centred before the frame is known; the frame may shift it a little.
    const QPoint offCentre = first - QGuiApplication::primaryScreen()->geometry().center();
    EXPECT_LE(std::abs(offCentre.x()), 4);
    EXPECT_LE(std::abs(offCentre.y()), 4);

    ASSERT_TRUE(opensAbout({20, 20}, [&] { Form2->move(40, 30); }));
    QPoint again;
    ASSERT_TRUE(opensAbout({20, 20}, [&] { again = Form2->pos(); }));
    EXPECT_EQ(again, QPoint(40, 30));
}

// Closing is the caption's business: keys do nothing.
TEST_F(AboutWindow, KeysDoNotCloseIt) {
    bool stillOpen = false;
    ASSERT_TRUE(opensAbout({20, 20}, [&] {
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Space, Qt::Key_Q})
            QTest::keyClick(Form2->windowHandle(), key);
        QCoreApplication::processEvents();
        stillOpen = Form2->isVisible();
    }));
    EXPECT_TRUE(stillOpen);
}

TEST_F(AboutWindow, LinksHandExactlyTheirTargetToTheShellOnEveryClick) {
    Form2->show();
    settle();
    const struct {
        TImage* link;
        const char* target;
    } cases[] = {{Form2->imgEMail, kEMailTarget}, {Form2->imgWebPage, kWebPageTarget}};
    for (const auto& c : cases) {
        shell.clear();
        const QPoint point = c.link->geometry().center();
        click(Form2, point);
        EXPECT_TRUE(Form2->isVisible()) << "stays open";
        click(Form2, point);
        settle();
        const std::vector<std::pair<std::string, int>> expected(2, {c.target, 0});
        EXPECT_EQ(shell, expected);
    }
    EXPECT_EQ(std::string(kEMailTarget).rfind("mailto:", 0), 0u);
}

TEST_F(AboutWindow, TheOtherPicturesDoNothing) {
    Form2->show();
    settle();
    for (TImage* picture : {Form2->imgIcon, Form2->Image5, Form2->Image6, Form2->Image7})
        click(Form2, picture->geometry().center());
    settle();
    EXPECT_TRUE(shell.empty());
    EXPECT_TRUE(Form2->isVisible());
}

TEST_F(AboutWindow, LinksCarryTheirTargetsForAssistiveTechnology) {
    const std::pair<TImage*, const char*> links[] = {{Form2->imgEMail, kEMailTarget},
                                                     {Form2->imgWebPage, kWebPageTarget}};
    for (const auto& [link, target] : links) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(link);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text(QAccessible::Description), QString::fromUtf8(target));
        EXPECT_TRUE(QString::fromUtf8(target).endsWith(a->text(QAccessible::Name)));
        EXPECT_EQ(a->role(), QAccessible::Button);
    }
}

}  // namespace

// The real media player (libmpv) in a real full-screen window on Xorg's dummy driver:
// every clip plays to its end, every failure says why without hanging, the picture is
// placed and stretched as asked, and keys and clicks get through the video to our window.
#include "Application.h"
#include "MediaFileCheck.h"
#include "MpvMediaPlayer.h"
#include "TPanel.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

using namespace std::chrono_literals;

namespace {
// The application and the clips, made once for all tests.
QTemporaryDir* clipsDir = nullptr;

class MediaEnvironment : public testing::Environment {
public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "xcb");
        app_ = std::make_unique<TApplication>(1, argv_);
        app_->Initialize();
        clipsDir = new QTemporaryDir;
        const QString script = qEnvironmentVariable("ZK_SOURCE_DIR") + "/tools/make-clips.sh";
        ASSERT_EQ(QProcess::execute(script, {clipsDir->path()}), 0) << "could not make the clips";
    }
    void TearDown() override {
        delete clipsDir;
        app_.reset();
    }

private:
    char name_[16] = "media_test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<TApplication> app_;
};
const testing::Environment* const environment = testing::AddGlobalTestEnvironment(new MediaEnvironment);

QByteArray clip(const char* name) { return QFile::encodeName(clipsDir->filePath(QString::fromUtf8(name))); }

// Handles events until the condition holds or the time is up; says whether it held.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > limit.count()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// The main window's shape: a full-screen window, a black panel covering it that reports clicks.
class VideoWindow : public QWidget {
public:
    VideoWindow() {
        setAutoFillBackground(true);
        QPalette black = palette();
        black.setColor(QPalette::Window, Qt::black);
        setPalette(black);
        panel = new TPanel(this);
        panel->setAutoFillBackground(true);
        panel->setPalette(black);
        QObject::connect(panel, &TPanel::Click, [this] { ++clicks; });
    }
    void resizeEvent(QResizeEvent*) override { panel->setGeometry(rect()); }
    void keyPressEvent(QKeyEvent* event) override { keys += event->text(); }

    TPanel* panel = nullptr;
    int clicks = 0;
    QString keys;
};

struct Rgb {
    int r, g, b;
};
constexpr Rgb kBlack{0, 0, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0};

bool near(QRgb pixel, Rgb colour) {
    return std::abs(qRed(pixel) - colour.r) < 60 && std::abs(qGreen(pixel) - colour.g) < 60 &&
           std::abs(qBlue(pixel) - colour.b) < 60;
}

struct Probe {
    int x, y;
    Rgb colour;
};

class MediaPlayerTest : public testing::Test {
protected:
    void SetUp() override {
        window.showFullScreen();
        ASSERT_TRUE(waitUntil([&] { return window.isVisible() && window.size() == QSize(1280, 720); }, 5s))
            << "the window did not cover the 1280x720 screen";
        player.SetDisplay(window.panel);
    }
    void TearDown() override { player.Close(); }

    // Plays the open clip to its end; the milliseconds it played, or -1 when it did not end in time.
    // Mode reads 2 from Play until the end and 1 after it.
    qint64 playToEnd() {
        player.Play();
        QElapsedTimer timer;
        timer.start();
        bool sawStoppedEarly = false;
        const bool ended = waitUntil(
            [&] {
                if (player.Mode() == mpPlaying) return false;
                if (timer.elapsed() < 100) sawStoppedEarly = true;
                return true;
            },
            10s);
        EXPECT_FALSE(sawStoppedEarly) << "Mode read stopped right after Play";
        return ended ? timer.elapsed() : -1;
    }

    // The screen as the user sees it.
    static QImage screen() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); }

    // The native window that the player hands to mpv.
    WId surfaceWindow() const {
        auto* surface = window.panel->findChild<QWidget*>(QStringLiteral("MediaPlayerVideo"));
        EXPECT_NE(surface, nullptr) << "no video surface";
        return surface == nullptr ? 0 : surface->winId();
    }

    // How many X windows mpv has made inside that window (the one it draws into).
    int videoWindows() const {
        QProcess xwininfo;
        xwininfo.start("xwininfo", {"-children", "-id", QString::number(surfaceWindow())});
        xwininfo.waitForFinished();
        // Each child is a line "0x1a00001 (has no name): ()  320x240+480+240  +480+240".
        const QString out = QString::fromUtf8(xwininfo.readAllStandardOutput());
        return static_cast<int>(out.count(QRegularExpression("\n *0x")));
    }

    // Waits for the probes to show their colours; on failure names the first that did not.
    static testing::AssertionResult shows(const std::vector<Probe>& probes) {
        QImage image;
        auto all = [&] {
            image = screen();
            for (const Probe& p : probes)
                if (!near(image.pixel(p.x, p.y), p.colour)) return false;
            return true;
        };
        if (waitUntil(all, 3s)) return testing::AssertionSuccess();
        for (const Probe& p : probes) {
            const QRgb pixel = image.pixel(p.x, p.y);
            if (!near(pixel, p.colour))
                return testing::AssertionFailure() << "pixel (" << p.x << "," << p.y << ") is " << qRed(pixel) << ","
                                                   << qGreen(pixel) << "," << qBlue(pixel) << ", expected "
                                                   << p.colour.r << "," << p.colour.g << "," << p.colour.b;
        }
        return testing::AssertionFailure() << "no picture";
    }

    VideoWindow window;
    MpvMediaPlayer player;
};

TEST_F(MediaPlayerTest, PlaysEveryClipToItsEnd) {
    const char* clips[] = {"mjpeg.avi", "msmpeg4v2-pcm.avi", "cinepak.avi", "msvideo1.avi",
                           "mpeg1.mpg", "mpeg2.mpg",         "h264.mp4",    "audio.wav"};
    for (const char* name : clips) {
        SCOPED_TRACE(name);
        player.SetFileName(clip(name));
        ASSERT_NO_THROW(player.Open());
        EXPECT_TRUE(player.IsOpen());
        EXPECT_EQ(player.Mode(), mpStopped);
        const qint64 played = playToEnd();
        // It really played. Without an audio device mpv's silent output ends a sound-only
        // clip once its last 0.2 s are buffered.
        EXPECT_GE(played, qstrcmp(name, "audio.wav") == 0 ? 150 : 250) << "a 0.4 s clip ended too soon";
        EXPECT_NE(played, -1) << "the clip did not end";
        EXPECT_EQ(player.Mode(), mpStopped);
        EXPECT_TRUE(player.IsOpen()) << "a clip at its end stays open until Close";
        player.Close();
        EXPECT_FALSE(player.IsOpen());
    }
}

TEST_F(MediaPlayerTest, EachFailureSaysWhyWithoutHanging) {
    struct Case {
        const char* name;
        OpenFailure failure;
    };
    const Case cases[] = {
        {"missing.avi", OpenFailure::NotFound},    {"folder.avi", OpenFailure::Folder},
        {"fifo.avi", OpenFailure::NotAFile},       {"empty.avi", OpenFailure::Empty},
        {"text.avi", OpenFailure::UnknownFormat},  {"truncated.avi", OpenFailure::Damaged},
        {"nothing.mkv", OpenFailure::NothingToPlay},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A good clip is open first: a failed Open leaves none open.
        player.SetFileName(clip("mjpeg.avi"));
        ASSERT_NO_THROW(player.Open());
        player.SetFileName(clip(c.name));
        QElapsedTimer timer;
        timer.start();
        try {
            player.Open();
            ADD_FAILURE() << "Open did not fail";
        } catch (const EMCIDeviceError& error) {
            EXPECT_EQ(error.Message(), OpenFailureMessage(c.failure));
        }
        EXPECT_LT(timer.elapsed(), 5000);
        EXPECT_FALSE(player.IsOpen());
        EXPECT_EQ(player.Mode(), mpStopped);
        EXPECT_THROW(player.Play(), EMCIDeviceError);
    }
    // The player is as good as new afterwards.
    player.SetFileName(clip("mjpeg.avi"));
    ASSERT_NO_THROW(player.Open());
    EXPECT_NE(playToEnd(), -1);
}

TEST_F(MediaPlayerTest, AnOpenThatTakesTooLongIsGivenUp) {
    player.setOpenTimeout(1ms);
    player.SetFileName(clip("h264.mp4"));
    try {
        player.Open();
        ADD_FAILURE() << "Open did not time out";
    } catch (const EMCIDeviceError& error) {
        EXPECT_EQ(error.Message(), OpenFailureMessage(OpenFailure::TimedOut));
    }
    EXPECT_FALSE(player.IsOpen());
    player.setOpenTimeout(10s);
    ASSERT_NO_THROW(player.Open());
    EXPECT_NE(playToEnd(), -1);
}

TEST_F(MediaPlayerTest, WithoutAClipOnlyCloseAndModeAreQuiet) {
    auto expectNoDevice = [](const std::function<void()>& call) {
        try {
            call();
            ADD_FAILURE() << "no error";
        } catch (const EMCIDeviceError& error) {
            EXPECT_EQ(error.Message(), kNoDeviceMessage);
        }
    };
    expectNoDevice([&] { player.Stop(); });
    expectNoDevice([&] { player.Play(); });
    EXPECT_NO_THROW(player.Close());
    EXPECT_NO_THROW(player.SetDisplayRect(QRect(0, 0, 1280, 720)));
    EXPECT_EQ(player.Mode(), mpStopped);
    // The same after a clip was closed.
    player.SetFileName(clip("mjpeg.avi"));
    player.Open();
    player.Close();
    expectNoDevice([&] { player.Stop(); });
    EXPECT_NO_THROW(player.Close());
}

TEST_F(MediaPlayerTest, PlayAfterTheEndStartsOver) {
    // A clip stays loaded at its end; each Play there goes back to its start (a playlist of
    // one item, looping).
    player.SetFileName(clip("msmpeg4v2-pcm.avi"));
    player.Open();
    ASSERT_NE(playToEnd(), -1);
    for (int round = 2; round <= 4; ++round) {
        SCOPED_TRACE(round);
        const qint64 again = playToEnd();
        EXPECT_GE(again, 250) << "Play at the end did not start from the start";
        EXPECT_NE(again, -1);
    }
}

TEST_F(MediaPlayerTest, StopHoldsTheClipAndPlayGoesOnFromThere) {
    player.SetFileName(clip("red-4x3.avi"));  // 2 s
    player.Open();
    player.Play();
    waitUntil([] { return false; }, 800ms);
    ASSERT_EQ(player.Mode(), mpPlaying);
    player.Stop();
    EXPECT_EQ(player.Mode(), mpStopped);
    waitUntil([] { return false; }, 500ms);
    EXPECT_EQ(player.Mode(), mpStopped) << "a stopped clip went on";
    EXPECT_TRUE(player.IsOpen());
    const qint64 rest = playToEnd();
    EXPECT_NE(rest, -1);
    EXPECT_LT(rest, 1800) << "Play after Stop started from the start";
}

TEST_F(MediaPlayerTest, PlacesThePictureAsAsked) {
    // A 4:3 clip in the 16:9 panel. Own size: 320x240 in the middle (480..800, 240..480).
    player.SetDisplayRect(QRect(0, 0, 1280, 720));  // no clip: no effect on the next one
    player.SetFileName(clip("red-4x3.avi"));
    player.Open();
    EXPECT_TRUE(shows({{640, 360, kRed}, {484, 244, kRed}, {795, 475, kRed},
                       {470, 360, kBlack}, {810, 360, kBlack}, {640, 230, kBlack}, {640, 490, kBlack}}))
        << "unstretched clip not centred at its own size";

    // Stretched to the panel: edge to edge, ignoring the aspect.
    player.SetDisplayRect(QRect(0, 0, 1280, 720));
    EXPECT_TRUE(shows({{2, 2, kRed}, {1277, 2, kRed}, {2, 717, kRed}, {1277, 717, kRed}, {640, 360, kRed}}))
        << "stretched clip does not fill the panel";

    // Stretched to a part of the panel.
    player.SetDisplayRect(QRect(100, 50, 640, 200));
    EXPECT_TRUE(shows({{104, 54, kRed}, {735, 245, kRed}, {95, 150, kBlack}, {745, 150, kBlack},
                       {400, 45, kBlack}, {400, 255, kBlack}}))
        << "clip not stretched to the rectangle";

    // Play keeps the rectangle; the next Open starts without it.
    player.Play();
    EXPECT_TRUE(shows({{104, 54, kRed}, {95, 150, kBlack}}));
    player.SetFileName(clip("red-4x3.avi"));
    player.Open();
    EXPECT_TRUE(shows({{640, 360, kRed}, {470, 360, kBlack}, {2, 2, kBlack}}));

    // Larger than the panel: scaled down keeping its aspect, 960x720 in the middle.
    player.SetFileName(clip("green-big-4x3.avi"));
    player.Open();
    EXPECT_TRUE(shows({{640, 360, kGreen}, {165, 360, kGreen}, {1114, 360, kGreen}, {640, 2, kGreen},
                       {640, 717, kGreen}, {154, 360, kBlack}, {1125, 360, kBlack}}))
        << "large clip not scaled down into the panel";

    // Closed, or failed: the panel is black again.
    player.Close();
    EXPECT_TRUE(shows({{640, 360, kBlack}}));
    player.SetFileName(clip("red-4x3.avi"));
    player.Open();
    player.SetFileName(clip("text.avi"));
    EXPECT_THROW(player.Open(), EMCIDeviceError);
    EXPECT_TRUE(shows({{640, 360, kBlack}}));
}

TEST_F(MediaPlayerTest, CloseReturnsWhenTheVideoWindowIsGone) {
    // The display layer switches modes right after Close; mpv's window must be down by then.
    player.SetFileName(clip("red-4x3.avi"));
    player.Open();
    player.Play();
    ASSERT_TRUE(shows({{640, 360, kRed}}));
    EXPECT_EQ(videoWindows(), 1) << "mpv draws into a window of its own inside the surface";
    player.Close();
    EXPECT_EQ(videoWindows(), 0);
}

TEST_F(MediaPlayerTest, TheNextClipFollowsInTheSameVideoWindow) {
    // Playback opens the next clip in the idle pass that sees the one before stopped. mpv
    // keeps its video window from one clip to the next, as its own playlist does: a new
    // window for every clip meant a black gap of more than 100 ms at each change.
    const char* clips[] = {"mjpeg.avi", "msmpeg4v2-pcm.avi", "h264.mp4", "mpeg2.mpg", "red-4x3.avi"};
    player.SetFileName(clip(clips[0]));
    ASSERT_NO_THROW(player.Open());
    ASSERT_EQ(videoWindows(), 1);

    // Counts mpv's windows from outside, as often as xwininfo can, all through the changes.
    // (The X server may give a new window the number of the old one, so numbers prove nothing;
    // an old window always goes before mpv makes the new one.)
    QProcess watcher;
    watcher.start("sh", {"-c", "while :; do xwininfo -children -id \"$1\" | grep -c '^ *0x'; done", "sh",
                         QString::number(surfaceWindow())});
    ASSERT_TRUE(watcher.waitForStarted());

    struct Change {
        const char* name;
        qint64 took;  // ms from the idle pass that saw the end to the return of Play
    };
    std::vector<Change> changes;
    std::size_t next = 1;
    QString failure;
    QEventLoop loop;
    Application->OnIdle = [&](QObject*, bool& done) {
        if (player.Mode() == mpStopped) {
            if (next == std::size(clips)) {
                loop.quit();
                return;
            }
            QElapsedTimer took;
            took.start();
            try {
                // PlaybackIdle's steps, stretched as playback does when asked to.
                player.SetFileName(clip(clips[next]));
                player.Open();
                player.SetDisplayRect(QRect(0, 0, 1280, 720));
                player.Play();
            } catch (const EMCIDeviceError& error) {
                failure = QString::fromStdString(error.Message());
                loop.quit();
                return;
            }
            changes.push_back({clips[next++], took.elapsed()});
        }
        done = false;
    };
    player.Play();
    QTimer::singleShot(20s, &loop, &QEventLoop::quit);
    loop.exec();
    Application->OnIdle = nullptr;
    watcher.kill();
    watcher.waitForFinished();

    ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();
    ASSERT_EQ(changes.size(), std::size(clips) - 1) << "playback did not get to the last clip";
    const QStringList counts = QString::fromUtf8(watcher.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    EXPECT_GT(counts.size(), 20) << "the window watcher hardly ran";
    EXPECT_EQ(counts.count("0"), 0) << "mpv's video window was gone between two clips";
    EXPECT_EQ(counts.count("0") + counts.count("1"), counts.size()) << "mpv had more than one window";
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        // The bound only catches a change that waits on something; its speed is measured
        // by bench/media_transition_bench.
        EXPECT_LT(change.took, 1000);
    }
    // The last one has played to its end in that window, stretched; its last picture stays
    // up until it is closed.
    EXPECT_TRUE(shows({{2, 2, kRed}, {1277, 717, kRed}})) << "the clip in the kept window was not stretched";
}

TEST_F(MediaPlayerTest, AClipWithoutVideoLeavesThePanelBlack) {
    player.SetFileName(clip("audio.wav"));
    player.Open();
    EXPECT_NO_THROW(player.SetDisplayRect(QRect(0, 0, 1280, 720)));
    player.Play();
    EXPECT_TRUE(shows({{640, 360, kBlack}, {2, 2, kBlack}}));
    EXPECT_TRUE(waitUntil([&] { return player.Mode() == mpStopped; }, 5s)) << "the clip did not end";

    // Also right after a clip with a picture: its last picture does not stay up.
    player.SetFileName(clip("red-4x3.avi"));
    player.Open();
    ASSERT_TRUE(shows({{640, 360, kRed}}));
    player.SetFileName(clip("audio.wav"));
    player.Open();
    player.Play();
    EXPECT_TRUE(shows({{640, 360, kBlack}})) << "the picture of the clip before stayed up";
}

TEST_F(MediaPlayerTest, ClicksAndKeysGetThroughTheVideo) {
    player.SetFileName(clip("red-4x3.avi"));
    player.Open();
    player.SetDisplayRect(QRect(0, 0, 1280, 720));
    player.Play();
    ASSERT_TRUE(shows({{640, 360, kRed}}));
    window.activateWindow();
    waitUntil([&] { return window.isActiveWindow(); }, 2s);

    ASSERT_EQ(QProcess::execute("xdotool", {"mousemove", "640", "360", "click", "1"}), 0);
    EXPECT_TRUE(waitUntil([&] { return window.clicks == 1; }, 3s)) << "the click did not reach the panel";
    ASSERT_EQ(QProcess::execute("xdotool", {"key", "x"}), 0);
    EXPECT_TRUE(waitUntil([&] { return window.keys == "x"; }, 3s))
        << "the key did not reach the window: '" << window.keys.toStdString() << "'";
    EXPECT_EQ(player.Mode(), mpPlaying);
}

TEST_F(MediaPlayerTest, TheEndOfAClipWakesTheIdleHandler) {
    // An idle handler that leaves Done true runs again only after an event: the player
    // must post one when the clip ends, or playback would never learn of it.
    player.SetFileName(clip("mjpeg.avi"));
    player.Open();
    TMPModes seen = mpNotReady;
    int passes = 0;
    QEventLoop loop;
    Application->OnIdle = [&](QObject*, bool&) {
        ++passes;
        seen = player.Mode();
        if (seen == mpStopped) loop.quit();
    };
    player.Play();
    QElapsedTimer timer;
    timer.start();
    QTimer::singleShot(5s, &loop, &QEventLoop::quit);
    loop.exec();
    Application->OnIdle = nullptr;
    EXPECT_EQ(seen, mpStopped) << "the idle handler never saw the end";
    EXPECT_LT(timer.elapsed(), 2000) << "the end was seen only when something else woke the loop";
    EXPECT_LT(passes, 100) << "the idle handler spun";
}
}  // namespace

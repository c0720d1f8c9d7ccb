// The display layer on a real X server (Xorg's dummy driver): the modes it offers, the switch
// as xrandr sees it, the window that covers the switched display with and without a window
// manager, and the desktop mode coming back however the process that switched ends.
//
// Some cases need a server of their own (no window manager, no RandR, a server that refuses
// us): they run this program again under tools/with-xorg with ZK_DISPLAY_CASE naming the case.
// The watchdog cases run it again as a driver process that switches and then ends as told.
#include "DirectDraw.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Size& size) { return out << size.width << 'x' << size.height; }

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string capture(const std::string& command) {
    std::string output;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return output;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe.get())) output.append(buffer, n);
    return output;
}

// The screen size that xrandr reports ("current 800 x 600").
Size xrandrCurrent() {
    const std::string output = capture("xrandr --current 2>&1");
    std::smatch match;
    if (!std::regex_search(output, match, std::regex("current (\\d+) x (\\d+)"))) return {};
    return {std::stoi(match[1]), std::stoi(match[2])};
}

// Everything a restore must bring back: xrandr's view of screen, outputs, modes and the
// current one, and the screen's size in millimetres.
std::string layoutFingerprint() {
    return capture("xrandr --current 2>&1") + capture("xdpyinfo | grep dimensions");
}

// The sizes of the primary output's modes, in the server's order, one per size.
std::vector<Size> primaryOutputSizes() {
    std::istringstream verbose(capture("xrandr --verbose --current"));
    std::vector<Size> sizes;
    bool inPrimary = false;
    int width = 0;
    for (std::string line; std::getline(verbose, line);) {
        if (!line.empty() && line[0] != ' ' && line[0] != '\t') {
            inPrimary = line.find(" connected primary") != std::string::npos;
            continue;
        }
        if (!inPrimary) continue;
        std::smatch match;
        if (std::regex_search(line, match, std::regex("^\\s+h: width\\s+(\\d+)"))) width = std::stoi(match[1]);
        if (std::regex_search(line, match, std::regex("^\\s+v: height\\s+(\\d+)"))) {
            const Size size{width, std::stoi(match[1])};
            if (std::find(sizes.begin(), sizes.end(), size) == sizes.end()) sizes.push_back(size);
        }
    }
    return sizes;
}

QApplication& application() {
    static int argc = 1;
    static char name[] = "x11_display_xrandr_test";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

void settle(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

const QRect kPlayerBounds(150, 20, 500, 400);

// The main window as the Play command leaves it for the layer: borderless, with the minimum
// size of the real main window, somewhere on the desktop.
std::unique_ptr<QWidget> showPlayerWindow() {
    application();
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle("player");
    window->setWindowFlag(Qt::FramelessWindowHint);
    window->setStyleSheet("background: black");
    window->setMinimumSize(384, 284);
    window->setGeometry(kPlayerBounds);
    window->show();
    QElapsedTimer timer;
    timer.start();
    while (!window->windowHandle()->isExposed() && timer.elapsed() < 5000) settle(10);
    settle(100);
    return window;
}

struct WindowGeometry {
    int x = -1;
    int y = -1;
    int width = 0;
    int height = 0;
};

// Where the server has the window, as an outside tool sees it.
WindowGeometry serverGeometry(WId window) {
    const std::string info = capture("xwininfo -id " + std::to_string(window));
    auto field = [&](const char* name) {
        std::smatch match;
        return std::regex_search(info, match, std::regex(std::string(name) + ":\\s+(-?\\d+)")) ? std::stoi(match[1])
                                                                                             : -1;
    };
    return {field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height")};
}

// Waits (running Qt's loop) until the server shows the window at 0,0 in `size`.
bool coversScreen(QWidget& window, Size size, int timeoutMs = 4000) {
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        const WindowGeometry at = serverGeometry(window.winId());
        if (at.x == 0 && at.y == 0 && at.width == size.width && at.height == size.height) return true;
        if (timer.elapsed() > timeoutMs) {
            ADD_FAILURE() << "the window is at " << at.x << ',' << at.y << ' ' << at.width << 'x' << at.height
                          << ", not over the whole " << size << " screen";
            return false;
        }
        settle(50);
    }
}

// Whether `window` is what shows at the screen point (x, y): the topmost window there (a
// window manager's frame, or the window itself without one) is it or holds it.
bool showsAt(WId window, int x, int y) {
    const std::string output =
        capture("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " getmouselocation --shell");
    std::smatch match;
    if (!std::regex_search(output, match, std::regex("WINDOW=(\\d+)"))) return false;
    const unsigned long top = std::stoul(match[1]);
    if (top == window) return true;
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%lx ", static_cast<unsigned long>(window));
    return capture("xwininfo -tree -id " + std::to_string(top)).find(hex) != std::string::npos;
}

std::string netWmState(WId window) { return capture("xprop -id " + std::to_string(window) + " _NET_WM_STATE"); }

struct DirectDrawRelease {
    void operator()(IDirectDraw* directDraw) const { directDraw->Release(); }
};
using DirectDrawPtr = std::unique_ptr<IDirectDraw, DirectDrawRelease>;

DirectDrawPtr createDirectDraw() {
    IDirectDraw* directDraw = nullptr;
    EXPECT_EQ(DirectDrawCreate(nullptr, &directDraw, nullptr), DD_OK);
    return DirectDrawPtr(directDraw);
}

struct Enumerated {
    std::vector<Size> sizes;
    std::vector<std::uint32_t> bitsPerPixel;
    int cancelAfter = -1;
};

HRESULT collectMode(DDSURFACEDESC* description, void* context) {
    auto* enumerated = static_cast<Enumerated*>(context);
    enumerated->sizes.push_back({static_cast<int>(description->dwWidth), static_cast<int>(description->dwHeight)});
    enumerated->bitsPerPixel.push_back(description->ddpfPixelFormat.dwRGBBitCount);
    return static_cast<int>(enumerated->sizes.size()) == enumerated->cancelAfter ? DDENUMRET_CANCEL : DDENUMRET_OK;
}

Enumerated enumerate(IDirectDraw& directDraw, int cancelAfter = -1) {
    Enumerated enumerated;
    enumerated.cancelAfter = cancelAfter;
    EXPECT_EQ(directDraw.EnumDisplayModes(0, nullptr, &enumerated, collectMode), DD_OK);
    return enumerated;
}

// Runs this program again on a server of its own, with the variables given; its exit code.
int runOnOwnServer(const std::string& variables, const std::string& filter) {
    const std::string self = std::filesystem::read_symlink("/proc/self/exe");
    const std::string command = "env " + variables + " '" + environment("ZK_SOURCE_DIR") + "/tools/with-xorg' '" +
                                self + "' --gtest_filter='" + filter + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool isCase(const char* name) { return environment("ZK_DISPLAY_CASE") == name; }

// ---------------------------------------------------------------------------------------------
// The modes and the switch.

TEST(XRandRModes, OneEntryPerSizeInTheServersOrderAtTheScreensBitsPerPixel) {
    if (!environment("ZK_DISPLAY_CASE").empty()) GTEST_SKIP() << "runs on the standard server";
    DirectDrawPtr directDraw = createDirectDraw();
    const Enumerated modes = enumerate(*directDraw);
    EXPECT_EQ(modes.sizes, primaryOutputSizes());
    ASSERT_FALSE(modes.sizes.empty());
    EXPECT_EQ(modes.sizes.front(), (Size{1280, 720}));
    EXPECT_EQ(std::count(modes.sizes.begin(), modes.sizes.end(), Size{800, 600}), 1) << "two refresh rates, one entry";
    for (std::uint32_t bits : modes.bitsPerPixel) EXPECT_EQ(bits, 32u) << "depth 24 keeps 32 bits per pixel";

    const Enumerated stopped = enumerate(*directDraw, 2);
    EXPECT_EQ(stopped.sizes.size(), 2u) << "DDENUMRET_CANCEL ends the enumeration";

    DDSURFACEDESC filter;
    filter.dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
    filter.dwWidth = 800;
    filter.dwHeight = 600;
    Enumerated filtered;
    EXPECT_EQ(directDraw->EnumDisplayModes(0, &filter, &filtered, collectMode), DD_OK);
    EXPECT_EQ(filtered.sizes, (std::vector<Size>{{800, 600}}));
    EXPECT_EQ(directDraw->EnumDisplayModes(0, nullptr, nullptr, nullptr), DDERR_INVALIDPARAMS);
}

TEST(XRandRModes, CreationFailsWithoutADisplay) {
    if (!environment("ZK_DISPLAY_CASE").empty()) GTEST_SKIP() << "runs on the standard server";
    const std::string display = environment("DISPLAY");
    setenv("DISPLAY", ":139", 1);
    IDirectDraw* directDraw = reinterpret_cast<IDirectDraw*>(0x1);
    EXPECT_EQ(DirectDrawCreate(nullptr, &directDraw, nullptr), DDERR_NODIRECTDRAWHW);
    EXPECT_EQ(directDraw, nullptr);
    setenv("DISPLAY", display.c_str(), 1);
}

TEST(XRandRSwitch, ShowsInXrandrAndReleasePutsTheDesktopBackExactly) {
    if (!environment("ZK_DISPLAY_CASE").empty()) GTEST_SKIP() << "runs on the standard server";
    const std::string desktop = layoutFingerprint();
    ASSERT_EQ(xrandrCurrent(), (Size{1280, 720}));
    auto window = showPlayerWindow();
    // Smaller, much smaller, and taller than the desktop (the screen must grow for it).
    for (const Size mode : {Size{800, 600}, Size{320, 240}, Size{1024, 768}}) {
        SCOPED_TRACE(testing::Message() << mode);
        DirectDrawPtr directDraw = createDirectDraw();
        ASSERT_EQ(directDraw->SetCooperativeLevel(window.get(), DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
        ASSERT_EQ(directDraw->SetDisplayMode(mode.width, mode.height, 32), DD_OK);
        EXPECT_EQ(xrandrCurrent(), mode);
        directDraw.reset();
        EXPECT_EQ(layoutFingerprint(), desktop);
    }
}

TEST(XRandRSwitch, SecondSwitchOfOneObjectStillReleasesToTheDesktop) {
    if (!environment("ZK_DISPLAY_CASE").empty()) GTEST_SKIP() << "runs on the standard server";
    const std::string desktop = layoutFingerprint();
    auto window = showPlayerWindow();
    DirectDrawPtr directDraw = createDirectDraw();
    ASSERT_EQ(directDraw->SetCooperativeLevel(window.get(), DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
    ASSERT_EQ(directDraw->SetDisplayMode(800, 600, 32), DD_OK);
    ASSERT_EQ(directDraw->SetDisplayMode(640, 480, 32), DD_OK);
    EXPECT_EQ(xrandrCurrent(), (Size{640, 480}));
    directDraw.reset();
    EXPECT_EQ(layoutFingerprint(), desktop);
}

TEST(XRandRSwitch, RefusesWhatItCannotDoAndLeavesTheDisplayAlone) {
    if (!environment("ZK_DISPLAY_CASE").empty()) GTEST_SKIP() << "runs on the standard server";
    const std::string desktop = layoutFingerprint();
    auto window = showPlayerWindow();
    DirectDrawPtr first = createDirectDraw();
    EXPECT_EQ(first->SetDisplayMode(800, 600, 32), DDERR_NOEXCLUSIVEMODE);
    EXPECT_EQ(first->SetCooperativeLevel(nullptr, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
    EXPECT_EQ(first->SetCooperativeLevel(window.get(), DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
    ASSERT_EQ(first->SetCooperativeLevel(window.get(), DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
    EXPECT_EQ(first->SetDisplayMode(801, 600, 32), DDERR_INVALIDMODE);
    EXPECT_EQ(first->SetDisplayMode(800, 600, 16), DDERR_UNSUPPORTEDMODE);
    EXPECT_EQ(layoutFingerprint(), desktop);

    // Exclusive control belongs to one object at a time.
    DirectDrawPtr second = createDirectDraw();
    EXPECT_EQ(second->SetCooperativeLevel(window.get(), DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE),
              DDERR_EXCLUSIVEMODEALREADYSET);
    first.reset();
    EXPECT_EQ(second->SetCooperativeLevel(window.get(), DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
}

// Not a goal, a figure: what a switch and a restore cost on this server.
TEST(XRandRSwitch, ReportsTheTimeOfASwitchAndARestore) {
    if (!environment("ZK_DISPLAY_CASE").empty()) GTEST_SKIP() << "runs on the standard server";
    auto window = showPlayerWindow();
    constexpr int kRounds = 5;
    double firstSwitch = 0, laterSwitch = 0, release = 0;
    for (int round = 0; round < kRounds; ++round) {
        DirectDrawPtr directDraw = createDirectDraw();
        ASSERT_EQ(directDraw->SetCooperativeLevel(window.get(), DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
        auto start = Clock::now();
        ASSERT_EQ(directDraw->SetDisplayMode(800, 600, 32), DD_OK);
        firstSwitch += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        start = Clock::now();
        ASSERT_EQ(directDraw->SetDisplayMode(640, 480, 32), DD_OK);
        laterSwitch += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        start = Clock::now();
        directDraw.reset();
        release += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        settle(50);
    }
    std::printf("first switch (watchdog start included) %.1f ms, later switch %.1f ms, release %.1f ms\n",
                firstSwitch / kRounds, laterSwitch / kRounds, release / kRounds);
    RecordProperty("first_switch_ms", std::to_string(firstSwitch / kRounds));
    RecordProperty("later_switch_ms", std::to_string(laterSwitch / kRounds));
    RecordProperty("release_ms", std::to_string(release / kRounds));
}

// ---------------------------------------------------------------------------------------------
// The window over the switched display. These run under openbox here, and again without a
// window manager on a server of their own.

TEST(CoveringWindow, FillsTheModeAboveEveryOtherWindowAndLeavesThatStateOnRelease) {
    if (!environment("ZK_DISPLAY_CASE").empty() && !isCase("no-wm")) GTEST_SKIP() << "another server's case";
    auto window = showPlayerWindow();
    // A desktop panel along the top edge, mapped after the player so it starts above it.
    auto panel = std::make_unique<QWidget>();
    panel->setWindowTitle("panel");
    panel->setStyleSheet("background: red");
    panel->setGeometry(0, 0, 1280, 40);
    // Qt's xcb plugin takes the window type from this property whenever the flags are set.
    panel->winId();
    panel->windowHandle()->setProperty("_q_xcb_wm_window_type", 0x000004);  // _NET_WM_WINDOW_TYPE_DOCK
    panel->windowHandle()->setFlags(panel->windowHandle()->flags() | Qt::WindowDoesNotAcceptFocus);
    panel->show();
    settle(300);
    ASSERT_TRUE(showsAt(panel->winId(), 200, 30)) << "the panel is above the player before the switch";
    const bool managed = !isCase("no-wm");

    // 320x240 is smaller than the window's minimum size.
    for (const Size mode : {Size{800, 600}, Size{320, 240}}) {
        SCOPED_TRACE(testing::Message() << mode);
        DirectDrawPtr directDraw = createDirectDraw();
        ASSERT_EQ(directDraw->SetCooperativeLevel(window.get(), DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
        ASSERT_EQ(directDraw->SetDisplayMode(mode.width, mode.height, 32), DD_OK);
        EXPECT_TRUE(coversScreen(*window, mode));
        settle(200);
        EXPECT_TRUE(coversScreen(*window, mode)) << "and stays so once everything has settled";
        EXPECT_TRUE(showsAt(window->winId(), 200, 30)) << "above the panel";
        EXPECT_TRUE(showsAt(window->winId(), mode.width - 5, mode.height - 5));
        if (managed) {
            // Not every window manager lifts a window that merely covers the screen above its
            // panels (openbox does); the EWMH state makes them all do it.
            EXPECT_NE(netWmState(window->winId()).find("_NET_WM_STATE_FULLSCREEN"), std::string::npos);
        }

        directDraw.reset();
        EXPECT_FALSE(window->windowState() & Qt::WindowFullScreen);
        EXPECT_EQ(window->minimumSize(), QSize(384, 284));
        window->setGeometry(kPlayerBounds);  // the caller's bounds
        settle(400);
        EXPECT_EQ(netWmState(window->winId()).find("_NET_WM_STATE_FULLSCREEN"), std::string::npos);
        const WindowGeometry back = serverGeometry(window->winId());
        EXPECT_EQ(back.x, kPlayerBounds.x());
        EXPECT_EQ(back.y, kPlayerBounds.y());
        EXPECT_EQ(back.width, kPlayerBounds.width());
        EXPECT_EQ(back.height, kPlayerBounds.height());
    }
}

TEST(CoveringWindow, WithoutAWindowManagerToo) {
    if (!environment("ZK_DISPLAY_CASE").empty()) GTEST_SKIP() << "runs on the standard server";
    EXPECT_EQ(runOnOwnServer("ZK_NO_WM=1 ZK_DISPLAY_CASE=no-wm", "CoveringWindow.Fills*"), 0);
}

// ---------------------------------------------------------------------------------------------
// Servers that are not the usual one.

TEST(WithoutRandr, OffersTheScreenAsItIsAndCoversIt) {
    if (!isCase("no-randr")) {
        if (!environment("ZK_DISPLAY_CASE").empty()) GTEST_SKIP() << "another server's case";
        EXPECT_EQ(runOnOwnServer("ZK_NO_WM=1 ZK_DISPLAY_CASE=no-randr 'ZK_XORG_ARGS=-extension RANDR'",
                                 "WithoutRandr.*"),
                  0);
        return;
    }
    ASSERT_NE(capture("xrandr 2>&1").find("RandR extension missing"), std::string::npos);
    auto window = showPlayerWindow();
    DirectDrawPtr directDraw = createDirectDraw();
    const Enumerated modes = enumerate(*directDraw);
    EXPECT_EQ(modes.sizes, (std::vector<Size>{{1280, 720}}));
    EXPECT_EQ(modes.bitsPerPixel, (std::vector<std::uint32_t>{32}));
    ASSERT_EQ(directDraw->SetCooperativeLevel(window.get(), DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
    EXPECT_EQ(directDraw->SetDisplayMode(800, 600, 32), DDERR_INVALIDMODE);
    ASSERT_EQ(directDraw->SetDisplayMode(1280, 720, 32), DD_OK);
    EXPECT_TRUE(coversScreen(*window, {1280, 720}));
    directDraw.reset();
    EXPECT_EQ(window->minimumSize(), QSize(384, 284));
}

// The process entry asks this before Qt touches the display, and must stay silent when the
// answer is no: a missing server, no DISPLAY, and a server that refuses us.
TEST(DisplayServerReachable, AnswersWithoutPrinting) {
    auto silentlyReachable = [](const char* display, const char* authority) {
        const std::string savedDisplay = environment("DISPLAY");
        const std::string savedAuthority = environment("XAUTHORITY");
        display != nullptr ? setenv("DISPLAY", display, 1) : unsetenv("DISPLAY");
        if (authority != nullptr) setenv("XAUTHORITY", authority, 1);
        std::fflush(stderr);
        char path[] = "/tmp/zk-display-stderr.XXXXXX";
        const int captured = mkstemp(path);
        const int original = dup(STDERR_FILENO);
        dup2(captured, STDERR_FILENO);
        const bool reachable = DisplayServerReachable();
        std::fflush(stderr);
        dup2(original, STDERR_FILENO);
        close(original);
        std::ifstream in(path);
        const std::string printed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        close(captured);
        unlink(path);
        setenv("DISPLAY", savedDisplay.c_str(), 1);
        savedAuthority.empty() ? unsetenv("XAUTHORITY") : setenv("XAUTHORITY", savedAuthority.c_str(), 1);
        EXPECT_EQ(printed, "");
        return reachable;
    };

    if (isCase("refusing")) {
        EXPECT_TRUE(silentlyReachable(environment("DISPLAY").c_str(), nullptr)) << "with the cookie";
        EXPECT_FALSE(silentlyReachable(environment("DISPLAY").c_str(), "/nonexistent")) << "without it";
        return;
    }
    if (!environment("ZK_DISPLAY_CASE").empty()) GTEST_SKIP() << "another server's case";
    EXPECT_TRUE(silentlyReachable(environment("DISPLAY").c_str(), nullptr));
    EXPECT_FALSE(silentlyReachable(nullptr, nullptr));
    EXPECT_FALSE(silentlyReachable(":139", nullptr));

    // A server that wants a cookie that we do not have: the cookie file serves every display
    // number that tools/with-xorg may choose.
    char cookies[] = "/tmp/zk-display-cookies.XXXXXX";
    close(mkstemp(cookies));
    std::string script;
    for (int display = 40; display <= 140; ++display) {
        script += "add :" + std::to_string(display) + " . 0123456789abcdef0123456789abcdef\n";
    }
    const std::string wild = std::string(cookies) + ".wild";
    std::ofstream(std::string(cookies) + ".script") << script;
    ASSERT_EQ(std::system(("xauth -q -f " + std::string(cookies) + " source " + cookies + ".script && xauth -f " +
                           cookies + " nlist | sed 's/^..../ffff/' | xauth -q -f " + wild + " nmerge - 2>/dev/null")
                              .c_str()),
              0);
    EXPECT_EQ(runOnOwnServer("ZK_NO_WM=1 ZK_DISPLAY_CASE=refusing XAUTHORITY=" + wild + " 'ZK_XORG_ARGS=-auth " +
                                 wild + "'",
                             "DisplayServerReachable.*"),
              0);
    for (const std::string& file : {std::string(cookies), wild, std::string(cookies) + ".script"}) {
        unlink(file.c_str());
    }
}

// ---------------------------------------------------------------------------------------------
// However the process that switched ends, the desktop's mode comes back.

// The driver: switches to 800x600, says "switched <window>", then ends as ZK_DISPLAY_DRIVER says;
// endings of its own wait for a line on its input first, so that the switch can be seen.
TEST(DisplayDriver, SwitchThenEnd) {
    const std::string ending = environment("ZK_DISPLAY_DRIVER");
    if (ending.empty()) GTEST_SKIP() << "run by the watchdog tests";
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);  // the crashes here are on purpose

    QApplication& app = application();
    auto window = showPlayerWindow();
    IDirectDraw* directDraw = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &directDraw, nullptr), DD_OK);
    ASSERT_EQ(directDraw->SetCooperativeLevel(window.get(), DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
    ASSERT_EQ(directDraw->SetDisplayMode(800, 600, 32), DD_OK);
    settle(100);
    std::printf("switched %lu\n", static_cast<unsigned long>(window->winId()));
    std::fflush(stdout);

    if (ending != "wait") {
        char go[8];
        if (read(STDIN_FILENO, go, sizeof go) <= 0) return;
    }
    if (ending == "exit") std::exit(0);  // with the object still held
    if (ending == "release") {
        directDraw->Release();
        std::printf("released\n");
        std::fflush(stdout);
    }
    if (ending == "close") {
        // The main window closed during playback: the event loop ends, the object is never released.
        QTimer::singleShot(100, window.get(), &QWidget::close);
        app.exec();
        std::printf("loop ended\n");
        std::fflush(stdout);
    }
    // Everything else is done to the driver from outside while its loop runs.
    app.exec();
    for (;;) pause();
}

struct Driver {
    pid_t pid = -1;
    int input = -1;
    int output = -1;
    unsigned long window = 0;
};

// Reads one line of the driver's output (waiting up to `timeoutMs`).
std::string readDriverLine(const Driver& driver, int timeoutMs = 15000) {
    std::string line;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
        pollfd waiting{driver.output, POLLIN, 0};
        if (poll(&waiting, 1, 50) <= 0) continue;
        char c = 0;
        if (read(driver.output, &c, 1) != 1) break;
        if (c == '\n') {
            if (line.rfind("switched", 0) == 0 || line == "released" || line == "loop ended") return line;
            line.clear();  // gtest's own chatter
            continue;
        }
        line += c;
    }
    return line;
}

Driver startDriver(const std::string& ending) {
    int outputEnds[2];
    int inputEnds[2];
    EXPECT_EQ(pipe2(outputEnds, O_CLOEXEC), 0);
    EXPECT_EQ(pipe2(inputEnds, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outputEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, inputEnds[0], STDIN_FILENO);
    std::vector<std::string> variables{"ZK_DISPLAY_DRIVER=" + ending};
    for (char** variable = environ; *variable != nullptr; ++variable) variables.emplace_back(*variable);
    std::vector<char*> envp;
    for (std::string& variable : variables) envp.push_back(variable.data());
    envp.push_back(nullptr);
    std::string self = std::filesystem::read_symlink("/proc/self/exe");
    std::string filter = "--gtest_filter=DisplayDriver.SwitchThenEnd";
    char* argv[] = {self.data(), filter.data(), nullptr};
    Driver driver;
    EXPECT_EQ(posix_spawn(&driver.pid, self.c_str(), &actions, nullptr, argv, envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(outputEnds[1]);
    close(inputEnds[0]);
    driver.output = outputEnds[0];
    driver.input = inputEnds[1];
    const std::string line = readDriverLine(driver);
    EXPECT_EQ(line.rfind("switched ", 0), 0u) << "the driver did not switch: " << line;
    if (line.rfind("switched ", 0) == 0) driver.window = std::stoul(line.substr(9));
    return driver;
}

std::vector<pid_t> childrenOf(pid_t parent) {
    std::vector<pid_t> children;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(entry.path() / "stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        const std::size_t close = text.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(text.substr(close + 2));
        char state = 0;
        pid_t ppid = 0;
        rest >> state >> ppid;
        if (ppid == parent) children.push_back(std::stoi(name));
    }
    return children;
}

std::string commandName(pid_t pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    comm >> name;
    return name;
}

// The watchdogs that `parent` started (the kernel keeps 15 characters of the name).
std::vector<pid_t> watchdogsOf(pid_t parent) {
    std::vector<pid_t> watchdogs;
    for (pid_t child : childrenOf(parent)) {
        if (commandName(child) == "zukineo-watchdo") watchdogs.push_back(child);
    }
    return watchdogs;
}

// Waits for a process of ours to end; its wait status, or nullopt after the timeout.
std::optional<int> awaitExit(pid_t pid, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return status;
        if (done < 0 || Clock::now() >= deadline) return std::nullopt;
        usleep(2000);
    }
}

class WatchdogTest : public testing::Test {
protected:
    void SetUp() override {
        if (!environment("ZK_DISPLAY_CASE").empty() || !environment("ZK_DISPLAY_DRIVER").empty()) {
            GTEST_SKIP() << "runs on the standard server";
        }
        // The watchdog outlives the driver; as the subreaper we can wait for it ourselves.
        prctl(PR_SET_CHILD_SUBREAPER, 1);
        desktop_ = layoutFingerprint();
        ASSERT_EQ(xrandrCurrent(), (Size{1280, 720}));
    }

    void TearDown() override {
        if (driver_.pid > 0) {
            kill(driver_.pid, SIGKILL);
            awaitExit(driver_.pid, 5000);
        }
        if (driver_.output >= 0) close(driver_.output);
        if (driver_.input >= 0) close(driver_.input);
        // Orphans of the driver come to us: a watchdog must not be among them. (Qt's session bus
        // may leave a dbus-launch behind; that is none of ours and just goes.)
        for (pid_t left : childrenOf(getpid())) {
            const std::string name = commandName(left);
            if (name.rfind("zukineo", 0) == 0) ADD_FAILURE() << name << " " << left << " left behind";
            kill(left, SIGKILL);
            awaitExit(left, 5000);
        }
    }

    // Lets a driver that waits go on to its ending.
    void go() { ASSERT_EQ(write(driver_.input, "go\n", 3), 3); }

    // Starts the driver and finds its watchdog.
    void startSwitched(const std::string& ending) {
        driver_ = startDriver(ending);
        ASSERT_EQ(xrandrCurrent(), (Size{800, 600}));
        const std::vector<pid_t> watchdogs = watchdogsOf(driver_.pid);
        ASSERT_EQ(watchdogs.size(), 1u) << "one watchdog";
        watchdog_ = watchdogs.front();
    }

    // The driver has ended (or is about to): the desktop is back within a second of its end, and
    // the watchdog has ended by itself without an error.
    void expectDesktopBackAfterDriverEnds(int expectedStatus) {
        const std::optional<int> status = awaitExit(driver_.pid, 10000);
        const auto ended = Clock::now();
        ASSERT_TRUE(status.has_value()) << "the driver did not end";
        driver_.pid = -1;
        EXPECT_EQ(*status, expectedStatus);
        // Reaped by the driver itself, or handed to us after the driver's end.
        const std::optional<int> watchdogStatus = awaitExit(watchdog_, 1000);
        if (watchdogStatus) {
            EXPECT_TRUE(WIFEXITED(*watchdogStatus) && WEXITSTATUS(*watchdogStatus) == 0) << *watchdogStatus;
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - ended).count();
        EXPECT_NE(kill(watchdog_, 0), 0) << "the watchdog is still there";
        EXPECT_LT(ms, 1000.0);
        EXPECT_EQ(layoutFingerprint(), desktop_);
        std::printf("desktop back %.1f ms after the driver ended\n", ms);
    }

    std::string desktop_;
    Driver driver_;
    pid_t watchdog_ = -1;
};

int signalled(int signal) { return signal; }  // a wait status of death by `signal`, no core

TEST_F(WatchdogTest, EndingBySignalPutsTheDesktopBack) {
    const int cases[] = {SIGKILL, SIGTERM, SIGINT, SIGHUP, SIGSEGV, SIGABRT};
    for (int signal : cases) {
        SCOPED_TRACE(strsignal(signal));
        ASSERT_NO_FATAL_FAILURE(startSwitched("wait"));
        kill(driver_.pid, signal);
        // The process still ends by the signal, as it would have without us.
        expectDesktopBackAfterDriverEnds(signalled(signal));
    }
}

TEST_F(WatchdogTest, NormalExitWithTheObjectHeldPutsTheDesktopBack) {
    ASSERT_NO_FATAL_FAILURE(startSwitched("exit"));
    go();
    expectDesktopBackAfterDriverEnds(0);
}

TEST_F(WatchdogTest, ClosingTheWindowPutsTheDesktopBackBeforeTheProcessEnds) {
    ASSERT_NO_FATAL_FAILURE(startSwitched("close"));
    go();
    ASSERT_EQ(readDriverLine(driver_), "loop ended");
    EXPECT_EQ(layoutFingerprint(), desktop_);
    EXPECT_TRUE(watchdogsOf(driver_.pid).empty()) << "the watchdog has ended and was reaped";
}

TEST_F(WatchdogTest, LostXConnectionPutsTheDesktopBack) {
    ASSERT_NO_FATAL_FAILURE(startSwitched("wait"));
    // Kills Qt's connection: Qt ends the process with exit code 1.
    capture("xkill -id " + std::to_string(driver_.window) + " 2>&1");
    expectDesktopBackAfterDriverEnds(1 << 8);
}

TEST_F(WatchdogTest, ReleaseEndsTheWatchdogWithoutAZombie) {
    ASSERT_NO_FATAL_FAILURE(startSwitched("release"));
    go();
    ASSERT_EQ(readDriverLine(driver_), "released");
    EXPECT_EQ(layoutFingerprint(), desktop_);
    EXPECT_TRUE(watchdogsOf(driver_.pid).empty()) << "the watchdog has ended and was reaped";
    // Nothing is left to restore: ending the driver now changes nothing.
    kill(driver_.pid, SIGKILL);
    expectDesktopBackAfterDriverEnds(SIGKILL);
}

}  // namespace

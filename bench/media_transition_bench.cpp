// Time lost between clips: our media player playing ten 1-second clips one after another the
// way playback does, against the mpv command line playing the same ten clips as its playlist.
// Run on an X server:
//   tools/with-xorg build-<you>/bench/media_transition_bench [ROUNDS]
// Ours: an idle handler that, when Mode reads stopped, opens the next clip and plays it
// (PlaybackIdle's steps), in a full-screen 1280x720 window. Each side also plays the first
// clip alone; lost per transition = (wall of ten - wall of one - 9 s) / 9, so starting and
// stopping cancel out and what is left is the time between the clips. Two sets of clips:
// with sound (as bench/playback_bench.py makes them) and the same without sound.
#include "Application.h"
#include "FullScreenPanel.h"
#include "MpvCommandLine.h"
#include "MpvMediaPlayer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>


namespace {
struct Gaps {
    double wall = 0;           // seconds from the first Play to the end of the last clip
    std::vector<double> ends;  // per transition: ms from the wake-up that shows the end to Play's return
};

Gaps playOurs(QWidget& panel, const std::vector<QByteArray>& clips) {
    Gaps gaps;
    MpvMediaPlayer player;  // a new mpv core each round, as the command line starts afresh
    player.SetDisplay(&panel);
    player.SetFileName(clips[0]);
    player.Open();

    QElapsedTimer wall;
    QEventLoop loop;
    std::size_t next = 1;
    Application->OnIdle = [&](QObject*, bool& done) {
        if (player.Mode() == mpStopped) {
            if (next == clips.size()) {
                gaps.wall = static_cast<double>(wall.nsecsElapsed()) / 1e9;
                loop.quit();
                return;
            }
            QElapsedTimer took;
            took.start();
            player.SetFileName(clips[next++]);
            player.Open();
            player.Play();
            gaps.ends.push_back(static_cast<double>(took.nsecsElapsed()) / 1e6);
        }
        done = false;
    };
    wall.start();
    player.Play();
    loop.exec();
    Application->OnIdle = nullptr;
    player.Close();
    return gaps;
}

double playCommandLine(const std::vector<QByteArray>& clips) { return RunMpvCommandLine(clips).wallSeconds; }

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

QByteArray makeClip(const QTemporaryDir& dir, int index, bool sound) {
    // As bench/playback_bench.py makes them: MS-MPEG4 v2 640x480 at 25 fps with PCM sound.
    const QString path = dir.filePath(QStringLiteral("one-%1%2.avi").arg(index).arg(sound ? "" : "-silent"));
    QStringList args = {"-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                        "testsrc=size=640x480:rate=25:duration=1", "-f", "lavfi", "-i",
                        "sine=frequency=440:sample_rate=44100:duration=1", "-c:v", "msmpeg4v2", "-q:v", "4"};
    args << (sound ? QStringList{"-c:a", "pcm_s16le"} : QStringList{"-an"}) << path;
    if (QProcess::execute("ffmpeg", args) != 0) {
        std::fprintf(stderr, "could not make the clips\n");
        std::exit(2);
    }
    return QFile::encodeName(path);
}

void measure(const char* title, QWidget& panel, const std::vector<QByteArray>& ten, int rounds) {
    const std::vector<QByteArray> one = {ten[0]};
    std::vector<double> ours, theirs, ends;
    std::printf("%s\n", title);
    std::printf("round  ours: ten s  one s  lost/transition ms  end-to-Play ms (median, max)   "
                "mpv: ten s  one s  lost/transition ms\n");
    for (int i = 0; i < rounds; ++i) {
        const Gaps a = playOurs(panel, ten);
        const Gaps b = playOurs(panel, one);
        const double c = playCommandLine(ten);
        const double d = playCommandLine(one);
        const double lostOurs = (a.wall - b.wall - 9.0) / 9.0 * 1000, lostTheirs = (c - d - 9.0) / 9.0 * 1000;
        ours.push_back(lostOurs);
        theirs.push_back(lostTheirs);
        ends.insert(ends.end(), a.ends.begin(), a.ends.end());
        if (qEnvironmentVariableIsSet("ZK_BENCH_VERBOSE")) {
            std::fprintf(stderr, "end seen to Play returned, ms:");
            for (double e : a.ends) std::fprintf(stderr, " %.1f", e);
            std::fprintf(stderr, "\n");
        }
        std::printf("%5d  %10.3f  %5.3f  %18.1f  %14.1f  %6.1f   %10.3f  %5.3f  %18.1f\n", i + 1, a.wall, b.wall,
                    lostOurs, median(a.ends), *std::max_element(a.ends.begin(), a.ends.end()), c, d, lostTheirs);
        std::fflush(stdout);
    }
    std::printf("median lost per transition: ours %.1f ms, mpv %.1f ms; end seen to Play returned: median %.1f ms, "
                "max %.1f ms\n\n",
                median(ours), median(theirs), median(ends), *std::max_element(ends.begin(), ends.end()));
}
}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    qputenv("QT_QPA_PLATFORM", "xcb");
    TApplication app(1, argv);
    app.Initialize();

    QTemporaryDir dir;
    std::vector<QByteArray> withSound, silent;
    for (int i = 0; i < 10; ++i) {
        withSound.push_back(makeClip(dir, i, true));
        silent.push_back(makeClip(dir, i, false));
    }

    FullScreenPanel screen;
    QWidget& panel = screen.panel();

    measure("Ten 1 s clips with sound", panel, withSound, rounds);
    measure("The same without sound", panel, silent, rounds);
    return 0;
}

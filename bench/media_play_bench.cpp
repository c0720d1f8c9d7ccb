// Processor time of our media player playing a 10-second clip, against the mpv command line
// playing the same clip with the same video and audio outputs. Run on an X server:
//   tools/with-xorg build-<you>/bench/media_play_bench [ROUNDS]
// Both play full-screen on a 1280x720 screen with the picture at its own size in the middle.
// Ours runs inside the application object with an idle handler that polls Mode as playback
// does (Done left false), so the figure includes our event loop, not only mpv.
#include "Application.h"
#include "FullScreenPanel.h"
#include "MpvCommandLine.h"
#include "MpvMediaPlayer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <vector>


namespace {
double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }
double cpuOf(const rusage& usage) { return seconds(usage.ru_utime) + seconds(usage.ru_stime); }

struct Run {
    double cpu = 0;   // processor seconds, all threads
    double wall = 0;  // seconds
};

Run playOurs(const QByteArray& path) {
    FullScreenPanel screen;
    QWidget& panel = screen.panel();

    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    QElapsedTimer wall;
    wall.start();
    {
        MpvMediaPlayer player;  // a new mpv core each round, as the command line starts afresh
        player.SetDisplay(&panel);
        player.SetFileName(path);
        player.Open();
        player.Play();
        QEventLoop loop;
        Application->OnIdle = [&](QObject*, bool& done) {
            if (player.Mode() == mpStopped) {
                loop.quit();
                return;
            }
            done = false;
        };
        const int passesBefore = Application->IdlePasses();
        loop.exec();
        if (qEnvironmentVariableIsSet("ZK_BENCH_VERBOSE"))
            std::fprintf(stderr, "idle passes while playing: %d\n", Application->IdlePasses() - passesBefore);
        Application->OnIdle = nullptr;
        player.Close();
    }
    getrusage(RUSAGE_SELF, &after);
    return {cpuOf(after) - cpuOf(before), static_cast<double>(wall.elapsed()) / 1000};
}

Run playCommandLine(const QByteArray& path) {
    const CommandLineRun run = RunMpvCommandLine({path});
    return {run.cpuSeconds, run.wallSeconds};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    qputenv("QT_QPA_PLATFORM", "xcb");
    TApplication app(1, argv);
    app.Initialize();

    QString source = qEnvironmentVariable("ZK_SOURCE_DIR");
    if (source.isEmpty()) source = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/..");
    QTemporaryDir clips;
    if (QProcess::execute(source + "/tools/make-clips.sh", {clips.path(), "--long"}) != 0) {
        std::fprintf(stderr, "could not make the clips\n");
        return 2;
    }
    const QByteArray path = QFile::encodeName(clips.filePath("long-10s.avi"));
    // The first 0.2 s of it: what starting and stopping cost, to tell apart from playing.
    const QByteArray shortPath = QFile::encodeName(clips.filePath("short.avi"));
    if (QProcess::execute("ffmpeg", {"-nostdin", "-loglevel", "error", "-y", "-i", clips.filePath("long-10s.avi"),
                                     "-t", "0.2", "-c", "copy", clips.filePath("short.avi")}) != 0) {
        std::fprintf(stderr, "could not cut the short clip\n");
        return 2;
    }

    std::vector<double> ours, theirs, oursShort, theirsShort;
    std::printf("round  10 s clip: ours cpu s  wall s   mpv cpu s  wall s   0.2 s clip: ours cpu s  mpv cpu s\n");
    for (int i = 0; i < rounds; ++i) {
        const Run a = playOurs(path);
        const Run b = playCommandLine(path);
        const Run c = playOurs(shortPath);
        const Run d = playCommandLine(shortPath);
        ours.push_back(a.cpu);
        theirs.push_back(b.cpu);
        oursShort.push_back(c.cpu);
        theirsShort.push_back(d.cpu);
        std::printf("%5d  %21.3f  %6.2f   %9.3f  %6.2f   %21.3f  %9.3f\n", i + 1, a.cpu, a.wall, b.cpu, b.wall, c.cpu,
                    d.cpu);
        std::fflush(stdout);
    }
    const double o = median(ours), t = median(theirs), os = median(oursShort), ts = median(theirsShort);
    std::printf("median, 10 s clip: ours %.3f s, mpv %.3f s, ours/mpv %.3f\n", o, t, o / t);
    std::printf("median, 0.2 s clip (start and stop): ours %.3f s, mpv %.3f s\n", os, ts);
    std::printf("playing 9.8 s (difference): ours %.3f s (%.1f %% of a core), mpv %.3f s (%.1f %%), ours/mpv %.3f\n",
                o - os, (o - os) / 9.8 * 100, t - ts, (t - ts) / 9.8 * 100, (o - os) / (t - ts));
    return 0;
}

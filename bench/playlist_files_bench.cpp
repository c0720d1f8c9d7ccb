// How long a list file takes from disk to a list that can be drawn, and back to disk, for
// 100,000 and 1,000,000 items of typical paths (about 60 bytes), next to `cat FILE >
// /dev/null` on the same file, the floor for reading it. Each size runs in a process of its
// own. Run by hand (see bench/README.md):
//   playlist_files_bench [folder for the files, default /tmp]
#include "ListFile.h"
#include "TPlaylistBox.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QPixmap>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsOf(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Times {
    double median;
    double worst;
};

// A few runs: the machine is shared, and a run that needs fresh memory from the system
// (the first load in a process) pays for its page faults; the worst run shows that.
Times measure(int runs, const std::function<double()>& once) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) times.push_back(once());
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

std::vector<QByteArray> typicalPaths(int count) {
    std::vector<QByteArray> items;
    items.reserve(static_cast<std::size_t>(count));
    char buffer[128];
    for (int i = 0; i < count; ++i) {
        std::snprintf(buffer, sizeof buffer, "/home/someone/Videos/Collection %03d/clip-%07d-holiday.avi", i % 997, i);
        items.emplace_back(buffer);
    }
    return items;
}

// `cat FILE > /dev/null`, started with posix_spawn: a fork would mark all of this process's
// memory copy-on-write, and the loads measured after it would pay a fault for every page.
void catToDevNull(const QByteArray& file) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    char* const arguments[] = {const_cast<char*>("cat"), const_cast<char*>(file.constData()), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, "cat", &actions, nullptr, arguments, environ) == 0) waitpid(child, nullptr, 0);
    posix_spawn_file_actions_destroy(&actions);
}

// One size in a process of its own, so that the first load meets the memory a program
// has at start-up, not what the size before left behind.
int measureOneSize(int argc, char** argv, int count, const QByteArray& folder) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TPlaylistBox box;
    box.resize(400, 300);
    box.show();
    QCoreApplication::processEvents();

    const QByteArray file = folder + "/zk-playlist-bench-" + QByteArray::number(count) + ".txt";
    SaveListFile(file, typicalPaths(count));  // the generated items are gone before the clock runs
    const qint64 size = QFile(QString::fromLocal8Bit(file)).size();
    const Times catTime = measure(5, [&] { return millisecondsOf([&] { catToDevNull(file); }); });
    // File to drawn list: read, cut into items, hand them to the view, let it lay them out
    // and draw the window once.
    const auto load = [&] {
        box.Clear();
        QCoreApplication::processEvents();
        return millisecondsOf([&] {
            box.ReplaceWithFile(ReadListFile(file));
            QCoreApplication::processEvents();  // the view's delayed layout
            (void)box.grab();                   // one drawing of the window
        });
    };
    const double first = load();
    const Times later = measure(5, load);
    if (box.Count() != count) {
        std::fprintf(stderr, "loaded %d items, expected %d\n", box.Count(), count);
        return 1;
    }
    // The save command's way: the list's items as text, a temporary file, fsync, rename.
    const QByteArray copy = file + ".saved";
    const Times save = measure(3, [&] { return millisecondsOf([&] { SaveListText(copy, ListTextOf(box.ItemViews())); }); });
    std::printf("| %d | %.1f MB | %.1f ms | %.1f ms | %.1f ms | %.1f ms |\n", count, size / 1e6, catTime.median, first,
                later.median, save.median);
    QFile::remove(QString::fromLocal8Bit(copy));
    QFile::remove(QString::fromLocal8Bit(file));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--count") == 0) return measureOneSize(1, argv, std::atoi(argv[2]), argv[3]);
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    std::printf("| items | file size | cat FILE > /dev/null | file to drawn list: first load | later loads (median) | save (median) |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|\n");
    std::fflush(stdout);
    int failures = 0;
    for (const char* count : {"100000", "1000000"}) {
        char* const arguments[] = {argv[0], const_cast<char*>("--count"), const_cast<char*>(count),
                                   const_cast<char*>(folder.c_str()), nullptr};
        pid_t child = 0;
        int status = 1;
        if (posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, arguments, environ) == 0) waitpid(child, &status, 0);
        failures += status != 0;
    }
    return failures == 0 ? 0 : 1;
}

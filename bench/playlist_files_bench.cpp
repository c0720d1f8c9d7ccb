// How long a list file takes from disk to a list that can be drawn, and back to disk, for
// 100,000 and 1,000,000 items of typical paths (about 60 bytes), next to `cat FILE >
// /dev/null` on the same file, the floor for reading it. Run by hand (see bench/README.md):
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
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsOf(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The median of a few runs: the machine is shared.
double median(int runs, const std::function<double()>& measure) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) times.push_back(measure());
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
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

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QByteArray folder = argc > 1 ? QByteArray(argv[1]) : QByteArray("/tmp");

    TPlaylistBox box;
    box.resize(400, 300);
    box.show();
    QCoreApplication::processEvents();

    std::printf("| items | file size | cat FILE > /dev/null | load: file to drawn list | of which read and cut | save |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|\n");
    for (const int count : {100000, 1000000}) {
        const QByteArray file = folder + "/zk-playlist-bench-" + QByteArray::number(count) + ".txt";
        const std::vector<QByteArray> items = typicalPaths(count);
        const double save = median(3, [&] { return millisecondsOf([&] { SaveListFile(file, items); }); });
        const qint64 size = QFile(QString::fromLocal8Bit(file)).size();

        const std::string cat = "cat '" + file.toStdString() + "' > /dev/null";
        const double catTime = median(5, [&] { return millisecondsOf([&] { (void)std::system(cat.c_str()); }); });
        const double readTime = median(5, [&] {
            std::vector<QByteArray> loaded;
            return millisecondsOf([&] { loaded = LoadListFile(file); });  // freed after the clock stops
        });
        const double loadTime = median(5, [&] {
            box.Clear();
            QCoreApplication::processEvents();
            return millisecondsOf([&] {
                box.Replace(LoadListFile(file));
                QCoreApplication::processEvents();  // the view's delayed layout
                (void)box.grab();                   // and one drawing of the window
            });
        });
        if (box.Count() != count) {
            std::fprintf(stderr, "loaded %d items, expected %d\n", box.Count(), count);
            return 1;
        }
        std::printf("| %d | %.1f MB | %.1f ms | %.1f ms | %.1f ms | %.1f ms |\n", count, size / 1e6, catTime, loadTime,
                    readTime, save);
        QFile::remove(QString::fromLocal8Bit(file));
    }
    return 0;
}

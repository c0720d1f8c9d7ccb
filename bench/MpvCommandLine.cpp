#include "MpvCommandLine.h"

#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

extern char** environ;

namespace {
double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }
double now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}
}  // namespace

CommandLineRun RunMpvCommandLine(const std::vector<QByteArray>& clips) {
    std::vector<std::string> args = {
        "mpv", "--no-config", "--no-terminal", "--fs", "--video-unscaled=downscale-big", "--vo=xv,x11",
        "--hwdec=no", "--audio-fallback-to-null=yes", "--ao-null-buffer=0.02", "--demuxer=lavf", "--osc=no",
        "--load-scripts=no", "--load-stats-overlay=no", "--load-osd-console=no", "--ytdl=no",
        "--input-default-bindings=no", "--input-vo-keyboard=no", "--input-cursor=no", "--cursor-autohide=always",
        "--osd-level=0", "--audio-display=no", "--keep-open=no"};
    for (const QByteArray& clip : clips) args.push_back(clip.toStdString());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    const double start = now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "mpv", nullptr, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start mpv\n");
        std::exit(2);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return {seconds(usage.ru_utime) + seconds(usage.ru_stime), now() - start};
}

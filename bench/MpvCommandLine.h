// Runs the mpv command line on clips with the settings our player gives libmpv, for the
// benchmarks that compare the two.
#pragma once

#include <QByteArray>

#include <vector>

struct CommandLineRun {
    double cpuSeconds = 0;   // user + system of the mpv process
    double wallSeconds = 0;  // from the start of the process to its end
};

// Plays the clips one after another, full screen, and returns when mpv has quit. Without
// keep-open, so that mpv goes on to the next file by itself and quits after the last.
CommandLineRun RunMpvCommandLine(const std::vector<QByteArray>& clips);

// zukineo-watchdog: started by the player with its first display-mode switch, it holds the
// desktop's layout and puts it back when the player ends without releasing the switch. It
// talks on its standard input, a socket whose other end only the player holds:
//   player -> watchdog: "layout <saved layout>" once, then "released" or "restore"
//   watchdog -> player: "ready" once it holds the layout, "restored" after a "restore"
// The end of the input without "released" means that the player died (SIGKILL, a crash, a
// lost X connection): the layout comes back through a connection of the watchdog's own.
#include "RandR.h"
#include "RandrLayout.h"

#include <signal.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>

namespace {
constexpr int kConnectAttempts = 5;

// One line from the player, without its end; nullopt at the end of the input.
std::optional<std::string> readLine(std::string& pending) {
    for (;;) {
        const std::size_t end = pending.find('\n');
        if (end != std::string::npos) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            return line;
        }
        char buffer[512];
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::nullopt;
        pending.append(buffer, static_cast<std::size_t>(n));
    }
}

void answer(const char* line) {
    send(STDIN_FILENO, line, std::char_traits<char>::length(line), MSG_NOSIGNAL);
}

bool restore(const SavedDisplay& saved) {
    // The player's end may have come with a brief loss of the server (a reset); try a few times.
    XDisplayPtr display;
    for (int attempt = 0; attempt < kConnectAttempts && !display; ++attempt) {
        display = OpenXDisplay(saved.displayName.c_str());
        if (!display) {
            const timespec pause{0, 50'000'000};
            nanosleep(&pause, nullptr);
        }
    }
    if (!display) {
        std::fprintf(stderr, "zukineo-watchdog: cannot open display \"%s\" to put its mode back\n",
                     saved.displayName.c_str());
        return false;
    }
    if (!ApplyLayout(display.get(), saved.crtc, saved.screen)) {
        std::fprintf(stderr, "zukineo-watchdog: the X server refused to put the display mode back\n");
        return false;
    }
    return true;
}
}  // namespace

int main() {
    // Keyboard and hang-up signals are the player's to handle, and a system-wide SIGTERM must not
    // leave the player unguarded: the watchdog lives exactly as long as its input.
    signal(SIGINT, SIG_IGN);
    signal(SIGHUP, SIG_IGN);
    signal(SIGTERM, SIG_IGN);
    signal(SIGPIPE, SIG_IGN);

    std::string pending;
    const std::optional<std::string> first = readLine(pending);
    if (!first) return 0;  // the player went before handing anything over
    constexpr std::string_view kLayout = "layout ";
    std::optional<SavedDisplay> saved;
    if (first->rfind(kLayout, 0) == 0) saved = DecodeSavedDisplay(std::string_view(*first).substr(kLayout.size()));
    if (!saved) {
        std::fprintf(stderr, "zukineo-watchdog: unreadable layout\n");
        return 2;
    }
    // Only a watchdog that can reach the display is worth a "ready".
    if (!OpenXDisplay(saved->displayName.c_str())) {
        std::fprintf(stderr, "zukineo-watchdog: cannot open display \"%s\"\n", saved->displayName.c_str());
        return 1;
    }
    answer("ready\n");

    for (;;) {
        const std::optional<std::string> line = readLine(pending);
        if (!line) return restore(*saved) ? 0 : 1;
        if (*line == "released") return 0;
        if (*line == "restore") {
            const bool ok = restore(*saved);
            if (ok) answer("restored\n");
            return ok ? 0 : 1;
        }
    }
}

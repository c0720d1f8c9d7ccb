#include "WatchdogLink.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>

extern char** environ;

namespace {
constexpr int kStartTimeoutMs = 3000;
constexpr int kRestoreTimeoutMs = 2000;
constexpr int kExitTimeoutMs = 3000;

// The signals that end a process by default and that we can catch.
constexpr std::array kFatalSignals{SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

// Read by the signal handler: the socket of the live link, or -1.
volatile sig_atomic_t linkSocket = -1;
std::array<bool, kFatalSignals.size()> handlerInstalled{};
std::array<struct sigaction, kFatalSignals.size()> previousActions{};

long long nowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Async-signal-safe: sends one line without raising SIGPIPE when the watchdog is gone.
bool sendLine(int socket, const char* line) {
    const std::size_t length = std::strlen(line);
    std::size_t sent = 0;
    while (sent < length) {
        const ssize_t n = send(socket, line + sent, length - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

// Async-signal-safe: waits for `expected` (a whole line) until the deadline; false on timeout,
// end of the link or any other line.
bool awaitLine(int socket, const char* expected, int timeoutMs) {
    char buffer[64];
    std::size_t length = 0;
    const long long deadline = nowMs() + timeoutMs;
    for (;;) {
        const long long left = deadline - nowMs();
        if (left <= 0) return false;
        pollfd waiting{socket, POLLIN, 0};
        const int ready = poll(&waiting, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        const ssize_t n = recv(socket, buffer + length, sizeof buffer - 1 - length, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        length += static_cast<std::size_t>(n);
        buffer[length] = '\0';
        if (std::memchr(buffer, '\n', length) != nullptr) return std::strcmp(buffer, expected) == 0;
        if (length == sizeof buffer - 1) return false;
    }
}

extern "C" void onFatalSignal(int signal) {
    const int socket = linkSocket;
    linkSocket = -1;
    if (socket >= 0 && sendLine(socket, "restore\n")) awaitLine(socket, "restored\n", kRestoreTimeoutMs);
    // SA_RESETHAND has put the default action back: the signal now ends the process as it
    // would have without us (a core dump included).
    raise(signal);
}

void installSignalHandlers(int socket) {
    linkSocket = socket;
    for (std::size_t i = 0; i < kFatalSignals.size(); ++i) {
        struct sigaction current {};
        sigaction(kFatalSignals[i], nullptr, &current);
        // A program that ignores or handles a signal itself keeps it; the watchdog still
        // covers the case that the signal ends the process.
        if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL) continue;
        struct sigaction ours {};
        ours.sa_handler = onFatalSignal;
        ours.sa_flags = SA_RESETHAND;
        sigemptyset(&ours.sa_mask);
        for (int other : kFatalSignals) sigaddset(&ours.sa_mask, other);
        handlerInstalled[i] = sigaction(kFatalSignals[i], &ours, &previousActions[i]) == 0;
    }
}

void removeSignalHandlers() {
    linkSocket = -1;
    for (std::size_t i = 0; i < kFatalSignals.size(); ++i) {
        if (!handlerInstalled[i]) continue;
        sigaction(kFatalSignals[i], &previousActions[i], nullptr);
        handlerInstalled[i] = false;
    }
}

// Reaps the watchdog; one that does not end in time is killed, so no process is left behind.
void reap(pid_t pid) {
    const long long deadline = nowMs() + kExitTimeoutMs;
    for (;;) {
        const pid_t done = waitpid(pid, nullptr, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) return;
        if (nowMs() >= deadline) break;
        const timespec pause{0, 2'000'000};
        nanosleep(&pause, nullptr);
    }
    kill(pid, SIGKILL);
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

bool executable(const std::filesystem::path& path) { return access(path.c_str(), X_OK) == 0; }
}  // namespace

std::string WatchdogExecutable() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path beside = self.parent_path() / "zukineo-watchdog";
        if (executable(beside)) return beside;
    }
#ifdef ZK_WATCHDOG_BUILD_PATH
    if (executable(ZK_WATCHDOG_BUILD_PATH)) return ZK_WATCHDOG_BUILD_PATH;
#endif
    return {};
}

std::unique_ptr<WatchdogLink> WatchdogLink::start(const SavedDisplay& saved) {
    const std::string path = WatchdogExecutable();
    if (path.empty()) return nullptr;

    int sockets[2] = {-1, -1};
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) return nullptr;

    // The watchdog reads and answers on its standard input. Its own process group keeps the
    // terminal's Ctrl-C and hang-up away from it: those are ours to handle.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, sockets[1], STDIN_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal : kFatalSignals) sigaddset(&defaults, signal);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    char* argv[] = {const_cast<char*>("zukineo-watchdog"), nullptr};
    const int spawned = posix_spawn(&pid, path.c_str(), &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(sockets[1]);
    if (spawned != 0) {
        close(sockets[0]);
        return nullptr;
    }

    std::unique_ptr<WatchdogLink> link(new WatchdogLink(pid, sockets[0]));
    const std::string line = "layout " + EncodeSavedDisplay(saved) + "\n";
    if (!sendLine(link->socket_, line.c_str()) || !awaitLine(link->socket_, "ready\n", kStartTimeoutMs)) {
        // A watchdog that cannot hold the layout guards nothing; it must not restore either.
        kill(pid, SIGKILL);
        link->done_ = true;
        return nullptr;
    }
    installSignalHandlers(link->socket_);
    return link;
}

WatchdogLink::WatchdogLink(pid_t pid, int socket) : pid_(pid), socket_(socket) {}

WatchdogLink::~WatchdogLink() {
    if (linkSocket == socket_) removeSignalHandlers();
    close(socket_);
    reap(pid_);
}

void WatchdogLink::released() {
    if (done_) return;
    done_ = true;
    removeSignalHandlers();
    sendLine(socket_, "released\n");
}

bool WatchdogLink::restoreNow() {
    if (done_) return false;
    done_ = true;
    removeSignalHandlers();
    return sendLine(socket_, "restore\n") && awaitLine(socket_, "restored\n", kRestoreTimeoutMs);
}

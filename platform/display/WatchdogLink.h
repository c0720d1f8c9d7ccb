// The program's side of zukineo-watchdog, the small process that puts the desktop's display
// layout back when the program dies while the display is switched (SIGKILL, a crash, a lost X
// connection). The link is a socket; its end closing without a "released" line is the
// watchdog's sign that we died. While a link lives, fatal signals whose action is the default
// first ask the watchdog to put the layout back and wait for it, then end the process as the
// signal would have.
#pragma once

#include "RandrLayout.h"

#include <sys/types.h>

#include <memory>
#include <string>

class WatchdogLink {
public:
    // Starts the watchdog and returns once it holds `saved`; nullptr when it cannot be started.
    static std::unique_ptr<WatchdogLink> start(const SavedDisplay& saved);

    // Closes the link and waits for the watchdog to end (no zombie is left). Unless released()
    // was called, the watchdog puts the layout back first.
    ~WatchdogLink();
    WatchdogLink(const WatchdogLink&) = delete;
    WatchdogLink& operator=(const WatchdogLink&) = delete;

    // We put the layout back ourselves: the watchdog ends without touching the display.
    void released();

    // Our own connection could not put it back: the watchdog does, through its own. True once
    // it has confirmed.
    bool restoreNow();

    pid_t pid() const { return pid_; }

private:
    WatchdogLink(pid_t pid, int socket);

    pid_t pid_ = -1;
    int socket_ = -1;
    bool done_ = false;
};

// Where zukineo-watchdog is: beside the running executable, else in the build tree that built
// this library (test programs run from a subfolder of it). Empty when neither exists.
std::string WatchdogExecutable();

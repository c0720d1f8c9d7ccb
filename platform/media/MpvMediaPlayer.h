// TMediaPlayer on libmpv: the only place that talks to mpv.
//
// Threads: every method runs on the GUI thread. mpv calls its wake-up callback from its own
// threads; the callback only posts an event to this object, and mpv's events are read here,
// on the GUI thread. Each posted event also lets the application's idle handler run again,
// which is how playback learns that a clip has ended without spinning.
//
// The video window: mpv draws into a native child widget of the Display that we make and
// own (the video surface), shown only while a clip is open. Making the Display itself
// native would turn it into an X window that hides, or forces native, every sibling stacked
// above it (the main window's controls). The surface covers the Display, or the rectangle
// that DisplayRect sets; it ignores mouse events, so Qt hands a click on the video to the
// Display, and it never takes the keyboard focus.
//
// Clips: a clip that plays to its end stays loaded, standing at its last picture, until the
// next Open replaces it or Close unloads it. mpv then switches from file to file as its own
// playlist does, keeping its video window and audio output, so the next clip's first
// picture follows within a few tens of milliseconds. Play at the end seeks back to the start.
//
// Lifetime: the mpv core is made at the first Open, embedded into the surface's window, and
// lives until the player is destroyed or gets another Display. The Display must outlive
// the player.
#pragma once

#include "MediaFileCheck.h"
#include "TMediaPlayer.h"

#include <QPointer>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

struct mpv_handle;
struct mpv_event;

class MpvMediaPlayer : public TMediaPlayer {
    Q_OBJECT
public:
    explicit MpvMediaPlayer(QObject* parent = nullptr);
    ~MpvMediaPlayer() override;

    void SetFileName(const QByteArray& fileName) override { fileName_ = fileName; }
    QByteArray FileName() const override { return fileName_; }
    void SetDisplay(QWidget* display) override;
    void SetDisplayRect(const QRect& rect) override;
    void Open() override;
    void Play() override;
    void Stop() override;
    void Close() override;
    TMPModes Mode() const override;
    bool IsOpen() const override { return state_ != State::Closed; }

    // How long Open waits for the clip; tests shorten it to reach the time-out.
    void setOpenTimeout(std::chrono::milliseconds timeout) { openTimeout_ = timeout; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class State { Closed, Stopped, Playing, Ended };
    struct MpvDeleter {
        void operator()(mpv_handle* handle) const;
    };

    static void onWakeup(void* self);
    void ensureCore();
    void drainEvents();
    void track(const mpv_event& event);
    void checkEnd();
    bool clipLoaded() const;
    std::int64_t loadFile(const QByteArray& path);
    void applyGeometry();
    void setFlag(const char* name, bool on);
    void setText(const char* name, const char* value);
    void resetClip();
    void forgetClip();
    [[noreturn]] void failOpen(OpenFailure failure);
    void waitForVideoOutputGone();

    std::unique_ptr<mpv_handle, MpvDeleter> mpv_;
    WId coreWindow_ = 0;  // the native window the core was made for
    QByteArray fileName_;
    QByteArray openPath_;  // absolute path of the open clip
    QPointer<QWidget> display_;
    QPointer<QWidget> surface_;  // child of display_, deleted with it or by us
    std::optional<QRect> displayRect_;
    State state_ = State::Closed;
    std::int64_t entryId_ = 0;        // mpv's playlist entry of the open clip
    std::int64_t startedEntryId_ = 0;  // the entry mpv last started loading
    bool entryLoaded_ = false;         // startedEntryId_ has been loaded
    bool endReported_ = false;         // mpv last said the loaded file is at its end
    bool rewinding_ = false;           // Play's seek to the start has not been done yet
    std::chrono::milliseconds openTimeout_{10000};
    std::atomic<bool> wakePosted_{false};
};

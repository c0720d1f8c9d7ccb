#include "MpvMediaPlayer.h"

#include "MediaFileCheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QPalette>

#include <mpv/client.h>

#include <clocale>

namespace {
using Clock = std::chrono::steady_clock;

// mpv takes its video window down in a few milliseconds; a hung output does not hang us.
constexpr std::chrono::seconds kCloseTimeout{2};

// Posted by the wake-up callback: "mpv has events for you".
const QEvent::Type kMpvEvents = static_cast<QEvent::Type>(QEvent::registerEventType());

// Our tag on the change events of the observed "eof-reached" property.
constexpr std::uint64_t kEofReached = 1;

// mpv takes anything with "proto://" at its start, or "-", as something other than a file
// name; an absolute path is always a file.
QByteArray absolutePath(const QByteArray& path) {
    if (path.startsWith('/')) return path;
    return QDir::currentPath().toLocal8Bit() + '/' + path;
}

OpenFailure failureOfEnd(const mpv_event_end_file& end, const QByteArray& header) {
    if (end.reason == MPV_END_FILE_REASON_REDIRECT) return OpenFailure::UnknownFormat;  // a playlist
    switch (end.error) {
        case MPV_ERROR_LOADING_FAILED: return OpenFailure::ReadError;
        case MPV_ERROR_UNKNOWN_FORMAT:
            return LooksLikeMediaContainer(header) ? OpenFailure::Damaged : OpenFailure::UnknownFormat;
        case MPV_ERROR_NOTHING_TO_PLAY: return OpenFailure::NothingToPlay;
        case MPV_ERROR_AO_INIT_FAILED:
        case MPV_ERROR_VO_INIT_FAILED: return OpenFailure::NoOutput;
        default: return OpenFailure::Unknown;
    }
}
}  // namespace

void MpvMediaPlayer::MpvDeleter::operator()(mpv_handle* handle) const {
    // No callback may reach a player that is going away; mpv guarantees none is running
    // once this returns.
    mpv_set_wakeup_callback(handle, nullptr, nullptr);
    mpv_terminate_destroy(handle);
}

MpvMediaPlayer::MpvMediaPlayer(QObject* parent) : TMediaPlayer(parent) {}

MpvMediaPlayer::~MpvMediaPlayer() {
    // The core first: it draws into the surface's window until it is gone.
    mpv_.reset();
    delete surface_.data();
}

void MpvMediaPlayer::onWakeup(void* self) {
    // Called on one of mpv's threads: post once per batch and return.
    auto* player = static_cast<MpvMediaPlayer*>(self);
    if (!player->wakePosted_.exchange(true)) QCoreApplication::postEvent(player, new QEvent(kMpvEvents));
}

bool MpvMediaPlayer::event(QEvent* event) {
    if (event->type() != kMpvEvents) return TMediaPlayer::event(event);
    wakePosted_ = false;  // before reading, so an event that comes meanwhile posts again
    drainEvents();
    return true;
}

void MpvMediaPlayer::drainEvents() {
    if (!mpv_) return;
    for (;;) {
        const mpv_event* event = mpv_wait_event(mpv_.get(), 0);
        if (event->event_id == MPV_EVENT_NONE) return;
        track(*event);
    }
}

void MpvMediaPlayer::track(const mpv_event& event) {
    switch (event.event_id) {
        case MPV_EVENT_START_FILE:
            startedEntryId_ = static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id;
            entryLoaded_ = false;
            endReported_ = false;
            rewinding_ = false;
            break;
        case MPV_EVENT_FILE_LOADED: entryLoaded_ = true; break;
        case MPV_EVENT_PLAYBACK_RESTART: rewinding_ = false; break;
        case MPV_EVENT_PROPERTY_CHANGE: {
            const auto* change = static_cast<const mpv_event_property*>(event.data);
            if (event.reply_userdata != kEofReached) break;
            endReported_ = change->format == MPV_FORMAT_FLAG && *static_cast<const int*>(change->data) != 0;
            if (endReported_) checkEnd();
            break;
        }
        case MPV_EVENT_END_FILE: {
            const auto* end = static_cast<const mpv_event_end_file*>(event.data);
            if (end->playlist_entry_id == startedEntryId_) entryLoaded_ = false;
            // The open clip has played to its end, or failed on the way: either way it stands.
            if (entryId_ != 0 && end->playlist_entry_id == entryId_ &&
                (state_ == State::Playing || state_ == State::Stopped))
                state_ = State::Ended;
            break;
        }
        default: break;
    }
}

bool MpvMediaPlayer::clipLoaded() const { return entryId_ != 0 && startedEntryId_ == entryId_ && entryLoaded_; }

void MpvMediaPlayer::checkEnd() {
    // With keep-open the end of a clip is no event of its own: mpv stands at the last
    // picture and sets "eof-reached". libmpv makes a property's change event only once its
    // event queue is empty, with the value it read last, which can be older than the events
    // already taken (the end of the clip before, just replaced). So the end counts only when
    // mpv confirms it now, for our clip, and not while Play's seek back to the start is on
    // its way (until then mpv still stands at the old end).
    if ((state_ != State::Playing && state_ != State::Stopped) || rewinding_ || !clipLoaded()) return;
    int atEnd = 0;
    if (mpv_get_property(mpv_.get(), "eof-reached", MPV_FORMAT_FLAG, &atEnd) >= 0 && atEnd != 0) state_ = State::Ended;
}

void MpvMediaPlayer::SetDisplay(QWidget* display) {
    if (display == display_) return;
    Close();
    mpv_.reset();  // the core is tied to the old surface's window
    delete surface_.data();
    if (display_) display_->removeEventFilter(this);
    display_ = display;
    if (display == nullptr) return;

    auto* surface = new QWidget(display);
    surface->setObjectName(QStringLiteral("MediaPlayerVideo"));
    // A native window of its own for mpv, without making the Display or its ancestors
    // and siblings native.
    surface->setAttribute(Qt::WA_DontCreateNativeAncestors);
    surface->setAttribute(Qt::WA_NativeWindow);
    surface->setFocusPolicy(Qt::NoFocus);
    surface->setAutoFillBackground(true);
    QPalette palette = surface->palette();
    palette.setColor(QPalette::Window, Qt::black);
    surface->setPalette(palette);
    surface->setGeometry(display->rect());
    surface->hide();
    surface_ = surface;
    display->installEventFilter(this);
}

bool MpvMediaPlayer::eventFilter(QObject* watched, QEvent* event) {
    // A surface without a rectangle keeps covering the whole Display when it changes size.
    if (watched == display_ && event->type() == QEvent::Resize && surface_ && !displayRect_)
        surface_->setGeometry(display_->rect());
    return TMediaPlayer::eventFilter(watched, event);
}

void MpvMediaPlayer::setFlag(const char* name, bool on) { setText(name, on ? "yes" : "no"); }

void MpvMediaPlayer::setText(const char* name, const char* value) {
    // Errors are not reported: every setting used here exists in the libmpv we build with.
    mpv_set_property_string(mpv_.get(), name, value);
}

void MpvMediaPlayer::ensureCore() {
    WId window = 0;
    if (surface_) {
        surface_->window()->winId();  // the top-level first: the surface's window is its child
        window = surface_->winId();
    }
    if (mpv_ && coreWindow_ == window) return;
    mpv_.reset();

    // mpv refuses to start unless numbers are formatted the C way. The application object
    // sets this at start-up; a library may have changed it since.
    std::setlocale(LC_NUMERIC, "C");
    std::unique_ptr<mpv_handle, MpvDeleter> core(mpv_create());
    if (!core) throw EMCIDeviceError(OpenFailureMessage(OpenFailure::NoPlayer));
    mpv_handle* h = core.get();
    auto option = [h](const char* name, const char* value) { mpv_set_option_string(h, name, value); };
    // Nothing of mpv's own: no configuration files, scripts, key bindings, on-screen
    // controller or messages; keys and clicks pass through its window to ours.
    option("config", "no");
    option("load-scripts", "no");
    option("osc", "no");
    option("load-stats-overlay", "no");
    option("load-osd-console", "no");
    option("ytdl", "no");
    option("input-default-bindings", "no");
    option("input-vo-keyboard", "no");
    option("input-cursor", "no");
    option("cursor-autohide", "always");
    option("osd-level", "0");
    option("terminal", "no");
    // One file is one clip: libavformat only, so a text file that looks like a playlist
    // or a folder is never expanded into other files; no side files are picked up.
    option("demuxer", "lavf");
    option("audio-display", "no");
    option("sub-auto", "no");
    option("audio-file-auto", "no");
    option("cover-art-auto", "no");
    option("resume-playback", "no");
    // A clip stays loaded at its end, standing at its last picture, so that the next one
    // replaces it file to file and mpv keeps its video window and audio output for it.
    // mpv does not pause it there: only Open and Stop pause, so a seek back to the start is
    // all that Play needs. Without a clip mpv idles rather than quits.
    option("keep-open", "yes");
    option("keep-open-pause", "no");
    option("idle", "yes");
    option("force-window", "no");
    option("pause", "yes");
    // Decoding on the processor; the X11 outputs need no GPU (Xorg's dummy driver has
    // none), Xv scales in hardware where there is an adaptor.
    option("hwdec", "no");
    // The system's default audio output, or silence when there is no audio device. The
    // silent output reports the end when its buffer is written rather than played: a small
    // buffer keeps a sound-only clip from ending much before its time.
    option("audio-fallback-to-null", "yes");
    option("ao-null-buffer", "0.02");
    if (window != 0) {
        auto wid = static_cast<std::int64_t>(window);
        mpv_set_option(h, "wid", MPV_FORMAT_INT64, &wid);
        option("vo", "xv,x11");
    } else {
        option("vo", "null");
    }
    mpv_set_wakeup_callback(h, &MpvMediaPlayer::onWakeup, this);
    if (mpv_initialize(h) < 0) throw EMCIDeviceError(OpenFailureMessage(OpenFailure::NoPlayer));
    mpv_observe_property(h, kEofReached, "eof-reached", MPV_FORMAT_FLAG);
    mpv_ = std::move(core);
    coreWindow_ = window;
    startedEntryId_ = 0;
    entryLoaded_ = false;
    endReported_ = false;
    rewinding_ = false;
}

std::int64_t MpvMediaPlayer::loadFile(const QByteArray& path) {
    const char* command[] = {"loadfile", path.constData(), "replace", nullptr};
    mpv_node result{};
    if (mpv_command_ret(mpv_.get(), command, &result) < 0) return 0;
    std::int64_t id = 0;
    if (result.format == MPV_FORMAT_NODE_MAP) {
        for (int i = 0; i < result.u.list->num; ++i) {
            if (qstrcmp(result.u.list->keys[i], "playlist_entry_id") == 0 &&
                result.u.list->values[i].format == MPV_FORMAT_INT64)
                id = result.u.list->values[i].u.int64;
        }
    }
    mpv_free_node_contents(&result);
    return id;
}

void MpvMediaPlayer::applyGeometry() {
    if (surface_ && display_) surface_->setGeometry(displayRect_ ? *displayRect_ : display_->rect());
    if (!mpv_) return;
    if (displayRect_) {
        // Stretched: the picture fills the surface exactly, whatever its aspect.
        setFlag("keepaspect", false);
        setText("video-unscaled", "no");
    } else {
        // Own size, centred; scaled down keeping its aspect when larger than the Display.
        setFlag("keepaspect", true);
        setText("video-unscaled", "downscale-big");
    }
}

void MpvMediaPlayer::resetClip() {
    state_ = State::Closed;
    entryId_ = 0;
    openPath_.clear();
    displayRect_.reset();
}

void MpvMediaPlayer::forgetClip() {
    resetClip();
    if (surface_) surface_->hide();
}

void MpvMediaPlayer::Open() {
    // The clip before is closed for us, but mpv keeps it loaded (silent, at its picture)
    // until loadfile replaces it: a switch from file to file keeps mpv's video window. When
    // this one fails, failOpen takes the old one down with it.
    if (state_ == State::Playing) setFlag("pause", true);
    resetClip();
    const Clock::time_point deadline = Clock::now() + openTimeout_;
    const QByteArray path = absolutePath(fileName_);
    const MediaFileCheck check = CheckMediaFileWithin(path, deadline);
    if (check.failure) failOpen(*check.failure);
    ensureCore();
    drainEvents();  // what is left of earlier clips is settled before this one starts

    applyGeometry();
    setFlag("pause", true);
    if (surface_) surface_->show();
    const std::int64_t id = loadFile(path);
    if (id <= 0) failOpen(OpenFailure::Unknown);

    // Wait until the first picture is up (mpv reports the restart of playback, paused at
    // the start), the clip has failed, or the time is up.
    std::optional<OpenFailure> failure;
    bool atEnd = false;
    for (;;) {
        const auto left = std::chrono::duration<double>(deadline - Clock::now()).count();
        if (left <= 0) {
            failure = OpenFailure::TimedOut;
            break;
        }
        const mpv_event* event = mpv_wait_event(mpv_.get(), left);
        track(*event);
        if (event->event_id == MPV_EVENT_SHUTDOWN) {
            failure = OpenFailure::Unknown;
            break;
        }
        if (event->event_id == MPV_EVENT_END_FILE) {
            const auto* end = static_cast<const mpv_event_end_file*>(event->data);
            if (end->playlist_entry_id != id) continue;
            if (end->reason == MPV_END_FILE_REASON_EOF) {
                atEnd = true;  // opened, but there was nothing to show before its end
            } else {
                failure = failureOfEnd(*end, check.header);
            }
            break;
        }
        if (event->event_id == MPV_EVENT_PLAYBACK_RESTART && startedEntryId_ == id && entryLoaded_) break;
    }
    if (failure) failOpen(*failure);
    entryId_ = id;
    openPath_ = path;
    state_ = atEnd ? State::Ended : State::Stopped;
    if (endReported_) checkEnd();  // at its end before it was ever played
    QCoreApplication::postEvent(this, new QEvent(kMpvEvents));  // the clip is loaded
}

void MpvMediaPlayer::failOpen(OpenFailure failure) {
    // No clip stays open, and no video window: the one of the clip before, or a load that
    // is still going (a time-out), is taken down; mpv cancels its reads.
    if (mpv_) {
        const char* stop[] = {"stop", nullptr};
        mpv_command(mpv_.get(), stop);
        waitForVideoOutputGone();
    }
    forgetClip();
    throw EMCIDeviceError(OpenFailureMessage(failure));
}

void MpvMediaPlayer::SetDisplayRect(const QRect& rect) {
    if (state_ == State::Closed) return;
    displayRect_ = rect;
    applyGeometry();
}

void MpvMediaPlayer::Play() {
    if (state_ == State::Closed) throw EMCIDeviceError(kNoDeviceMessage);
    drainEvents();
    if (state_ == State::Playing) return;
    // Playing, or at once at its end when the reload could not even start; either way the
    // idle handler gets an event to look at the clip again.
    QCoreApplication::postEvent(this, new QEvent(kMpvEvents));
    setFlag("pause", false);
    if (state_ == State::Ended) {
        const char* seek[] = {"seek", "0", "absolute", nullptr};
        if (clipLoaded() && mpv_command(mpv_.get(), seek) >= 0) {
            // Still loaded at its last picture: back to the start.
            rewinding_ = true;
        } else {
            // Unloaded, after a read error on the way: load it again, from its start.
            const std::int64_t id = loadFile(openPath_);
            if (id <= 0) return;
            entryId_ = id;
        }
    }
    state_ = State::Playing;
}

void MpvMediaPlayer::Stop() {
    if (state_ == State::Closed) throw EMCIDeviceError(kNoDeviceMessage);
    drainEvents();
    if (state_ != State::Playing) return;
    setFlag("pause", true);
    state_ = State::Stopped;
}

void MpvMediaPlayer::Close() {
    if (state_ == State::Closed) return;
    if (mpv_) {
        const char* stop[] = {"stop", nullptr};
        mpv_command(mpv_.get(), stop);
        waitForVideoOutputGone();
    }
    forgetClip();
}

void MpvMediaPlayer::waitForVideoOutputGone() {
    // Close waits, as MCI_CLOSE does, until mpv has taken its video window down. Its X11
    // output also resets the process-wide Xlib error handler when it goes; after Close
    // returns, nothing of ours runs on mpv's threads while the display layer switches modes.
    const Clock::time_point deadline = Clock::now() + kCloseTimeout;
    auto hasVideoOutput = [this] {
        char* name = mpv_get_property_string(mpv_.get(), "current-vo");
        mpv_free(name);
        return name != nullptr;
    };
    while (hasVideoOutput()) {
        const auto left = std::chrono::duration<double>(deadline - Clock::now()).count();
        if (left <= 0) return;
        track(*mpv_wait_event(mpv_.get(), left));
    }
}

TMPModes MpvMediaPlayer::Mode() const { return state_ == State::Playing ? mpPlaying : mpStopped; }

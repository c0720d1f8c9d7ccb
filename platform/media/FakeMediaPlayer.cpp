#include "FakeMediaPlayer.h"

#include "MediaFileCheck.h"

#include <QCoreApplication>
#include <QEvent>

void FakeMedia::install() {
    SetMediaPlayerFactory([this](QObject* parent) {
        auto player = std::make_unique<FakeMediaPlayer>(*this, parent);
        current = player.get();
        return player;
    });
}

void FakeMedia::uninstall() { SetMediaPlayerFactory({}); }

void FakeMedia::advance(int ms) {
    nowMs += ms;
    if (current != nullptr) current->tick();
}

FakeMediaPlayer::FakeMediaPlayer(FakeMedia& media, QObject* parent) : TMediaPlayer(parent), media_(media) {}

FakeMediaPlayer::~FakeMediaPlayer() {
    if (media_.current == this) media_.current = nullptr;
}

void FakeMediaPlayer::wake() { QCoreApplication::postEvent(this, new QEvent(QEvent::User)); }

void FakeMediaPlayer::SetDisplayRect(const QRect& rect) {
    media_.calls.push_back("rect " + std::to_string(rect.x()) + "," + std::to_string(rect.y()) + "," +
                           std::to_string(rect.width()) + "," + std::to_string(rect.height()));
    media_.rects.push_back(rect);
}

void FakeMediaPlayer::Open() {
    Close();
    media_.calls.push_back("open " + fileName_.toStdString());
    const auto clip = media_.clips.find(fileName_);
    if (clip == media_.clips.end()) throw EMCIDeviceError(OpenFailureMessage(OpenFailure::NotFound));
    if (clip->second.openError) throw EMCIDeviceError(*clip->second.openError);
    open_ = true;
    durationMs_ = clip->second.durationMs;
    positionMs_ = 0;
    wake();
}

void FakeMediaPlayer::Play() {
    media_.calls.push_back("play");
    if (!open_) throw EMCIDeviceError(kNoDeviceMessage);
    if (positionMs_ >= durationMs_) positionMs_ = 0;
    playing_ = true;
    startedAtMs_ = media_.nowMs - positionMs_;
    wake();
}

void FakeMediaPlayer::Stop() {
    media_.calls.push_back("stop");
    if (!open_) throw EMCIDeviceError(kNoDeviceMessage);
    tick();
    playing_ = false;
}

void FakeMediaPlayer::Close() {
    if (!open_) return;
    media_.calls.push_back("close");
    open_ = false;
    playing_ = false;
}

void FakeMediaPlayer::tick() {
    if (!playing_) return;
    positionMs_ = std::min(media_.nowMs - startedAtMs_, durationMs_);
    if (positionMs_ >= durationMs_) {
        playing_ = false;
        wake();
    }
}

// As the real player: stopped after Open, after Stop (wherever the clip stands) and at its end.
TMPModes FakeMediaPlayer::Mode() const { return open_ && playing_ ? mpPlaying : mpStopped; }

#include "MpvMediaPlayer.h"
#include "TMediaPlayer.h"

namespace {
MediaPlayerFactory& factory() {
    static MediaPlayerFactory current;
    return current;
}
}  // namespace

void SetMediaPlayerFactory(MediaPlayerFactory f) { factory() = std::move(f); }

std::unique_ptr<TMediaPlayer> CreateMediaPlayer(QObject* parent) {
    if (factory()) return factory()(parent);
    return std::make_unique<MpvMediaPlayer>(parent);
}

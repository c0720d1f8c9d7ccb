#include "MpvMediaPlayer.h"

MpvMediaPlayer::MpvMediaPlayer(QObject* parent) : TMediaPlayer(parent) {}
MpvMediaPlayer::~MpvMediaPlayer() = default;

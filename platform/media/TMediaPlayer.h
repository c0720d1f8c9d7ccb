// The media player component: opens one clip at a time and plays it into the Display
// widget. The real one runs on libmpv (MpvMediaPlayer.cpp); tests install a fake.
#pragma once

#include "Exception.h"

#include <QByteArray>
#include <QObject>
#include <QRect>

#include <cstdint>
#include <functional>
#include <memory>

class QWidget;

class EMCIDeviceError : public Exception {
public:
    using Exception::Exception;
};

enum TMPModes : std::uint8_t {
    mpNotReady = 0,
    mpStopped = 1,
    mpPlaying = 2,
    mpRecording = 3,
    mpSeeking = 4,
    mpPaused = 5,
    mpOpen = 6,
};

// All calls come from the GUI thread. Whenever the clip's state changes the player posts an
// event to the GUI thread, so the application's idle handler runs again without polling.
class TMediaPlayer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~TMediaPlayer() override = default;

    // The path of the file that the next Open opens, as bytes.
    virtual void SetFileName(const QByteArray& fileName) = 0;
    virtual QByteArray FileName() const = 0;

    // The widget whose native window receives the video.
    virtual void SetDisplay(QWidget* display) = 0;

    // Stretches the video to the rectangle (in Display's coordinates); no effect without a clip with video.
    virtual void SetDisplayRect(const QRect& rect) = 0;

    virtual void Open() = 0;   // closes an open clip first; raises EMCIDeviceError
    virtual void Play() = 0;   // returns at once; raises "MCI デバイスがありません" without a clip
    virtual void Stop() = 0;   // raises "MCI デバイスがありません" without a clip
    virtual void Close() = 0;  // never raises
    virtual TMPModes Mode() const = 0;  // never raises; mpStopped without a clip
    virtual bool IsOpen() const = 0;
};

// Creates the program's media player; tests install a factory of fakes.
using MediaPlayerFactory = std::function<std::unique_ptr<TMediaPlayer>(QObject* parent)>;
std::unique_ptr<TMediaPlayer> CreateMediaPlayer(QObject* parent);
void SetMediaPlayerFactory(MediaPlayerFactory factory);

inline constexpr const char* kNoDeviceMessage = "MCI デバイスがありません";
inline constexpr const char* kUnknownErrorMessage = "原因不明のエラー";

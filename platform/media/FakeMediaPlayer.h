// A scripted media player for tests: clips with durations or failures, a manual clock, and a
// record of every call.
#pragma once

#include "TMediaPlayer.h"

#include <QRect>

#include <map>
#include <optional>
#include <string>
#include <vector>

struct FakeClip {
    int durationMs = 1000;
    std::optional<std::string> openError;  // Open raises EMCIDeviceError with this message
    bool hasVideo = true;
};

// The clips and the clock shared by every fake player it makes.
struct FakeMedia {
    std::map<QByteArray, FakeClip> clips;  // by path; an unknown path fails to open
    std::vector<std::string> calls;        // "open PATH", "play", "stop", "close", "rect x,y,w,h", ...
    std::vector<QRect> rects;
    int nowMs = 0;

    void install();
    static void uninstall();

    // Moves the clock on; a clip that reaches its end stops and the player wakes the GUI thread.
    void advance(int ms);

    class FakeMediaPlayer* current = nullptr;
};

class FakeMediaPlayer : public TMediaPlayer {
    Q_OBJECT
public:
    FakeMediaPlayer(FakeMedia& media, QObject* parent);
    ~FakeMediaPlayer() override;

    void SetFileName(const QByteArray& fileName) override { fileName_ = fileName; }
    QByteArray FileName() const override { return fileName_; }
    void SetDisplay(QWidget* display) override { display_ = display; }
    void SetDisplayRect(const QRect& rect) override;
    void Open() override;
    void Play() override;
    void Stop() override;
    void Close() override;
    TMPModes Mode() const override;
    bool IsOpen() const override { return open_; }

    void tick();
    QWidget* display() const { return display_; }

private:
    void wake();

    FakeMedia& media_;
    QByteArray fileName_;
    QWidget* display_ = nullptr;
    bool open_ = false;
    bool playing_ = false;
    int durationMs_ = 0;
    int positionMs_ = 0;
    int startedAtMs_ = 0;
};

// TMediaPlayer on libmpv: the only place that talks to mpv.
#pragma once

#include "TMediaPlayer.h"

#include <QPointer>
#include <QWidget>

class MpvMediaPlayer : public TMediaPlayer {
    Q_OBJECT
public:
    explicit MpvMediaPlayer(QObject* parent = nullptr);
    ~MpvMediaPlayer() override;

    void SetFileName(const QByteArray& fileName) override { fileName_ = fileName; }
    QByteArray FileName() const override { return fileName_; }
    void SetDisplay(QWidget* display) override { display_ = display; }
    void SetDisplayRect(const QRect&) override {}
    void Open() override { throw EMCIDeviceError(kUnknownErrorMessage); }
    void Play() override { throw EMCIDeviceError(kNoDeviceMessage); }
    void Stop() override { throw EMCIDeviceError(kNoDeviceMessage); }
    void Close() override {}
    TMPModes Mode() const override { return mpStopped; }
    bool IsOpen() const override { return false; }

private:
    QByteArray fileName_;
    QPointer<QWidget> display_;
};

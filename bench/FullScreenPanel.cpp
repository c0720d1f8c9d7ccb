#include "FullScreenPanel.h"

#include <QEventLoop>
#include <QTimer>

FullScreenPanel::FullScreenPanel() : panel_(new QWidget(&window_)) {
    window_.setStyleSheet(QStringLiteral("background: black"));
    window_.showFullScreen();
    QEventLoop settle;
    QTimer::singleShot(500, &settle, &QEventLoop::quit);
    settle.exec();
    panel_->setGeometry(window_.rect());
}

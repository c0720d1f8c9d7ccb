#include "TImage.h"

#include <QMouseEvent>
#include <QPainter>

TImage::TImage(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_NoSystemBackground);
}

void TImage::setPicture(const QString& resourcePath) {
    picture_ = resourcePath;
    bitmap_ = QImage(resourcePath);
    if (!bitmap_.isNull()) resize(bitmap_.size());
    rebuildPixmap();
}

void TImage::setTransparent(bool on) {
    transparent_ = on;
    rebuildPixmap();
}

void TImage::rebuildPixmap() {
    if (bitmap_.isNull()) {
        drawn_ = QImage();
    } else if (!transparent_) {
        drawn_ = bitmap_.convertToFormat(QImage::Format_RGB32);
    } else {
        // The picture's own bottom-left pixel names the colour that is not drawn.
        drawn_ = bitmap_.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = drawn_.pixel(0, drawn_.height() - 1) | 0xFF000000u;
        for (int y = 0; y < drawn_.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(drawn_.scanLine(y));
            for (int x = 0; x < drawn_.width(); ++x)
                if ((line[x] | 0xFF000000u) == key) line[x] = 0;
        }
    }
    update();
}

void TImage::paintEvent(QPaintEvent*) {
    if (drawn_.isNull()) return;
    QPainter painter(this);
    painter.drawImage(0, 0, drawn_);
}

void TImage::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) leftPressed_ = true;
    emit MouseDown(event->button(), event->modifiers(), event->position().toPoint());
}

void TImage::mouseDoubleClickEvent(QMouseEvent* event) {
    // Qt reports the second press of a double click as a double click; it is a press all the same.
    mousePressEvent(event);
}

void TImage::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasPressed = leftPressed_ && event->button() == Qt::LeftButton;
    if (event->button() == Qt::LeftButton) leftPressed_ = false;
    if (wasPressed && rect().contains(event->position().toPoint())) emit Click();
}

#include "TImage.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>

namespace {

class TImageAccessible : public QAccessibleWidget {
public:
    explicit TImageAccessible(TImage* image) : QAccessibleWidget(image, QAccessible::Graphic) {}

    // Asked each time: the form binds the handlers after it has created the control.
    QAccessible::Role role() const override { return image()->clickable() ? QAccessible::Button : QAccessible::Graphic; }

    QStringList actionNames() const override {
        return image()->clickable() ? QStringList{pressAction()} : QStringList{};
    }

    void doAction(const QString& action) override {
        if (action != pressAction() || !image()->clickable()) return;
        // Later, from the event loop: a handler may run a modal window, and the caller on the
        // accessibility bus must get its answer first.
        QTimer::singleShot(0, image(), [target = QPointer<TImage>(image())] {
            if (target) target->press();
        });
    }

private:
    TImage* image() const { return static_cast<TImage*>(widget()); }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("TImage") && object != nullptr && object->isWidgetType())
        return new TImageAccessible(static_cast<TImage*>(object));
    return nullptr;
}

}  // namespace

TImage::TImage(QWidget* parent) : QWidget(parent) {
    static const bool factoryInstalled = (QAccessible::installFactory(accessibleFactory), true);
    (void)factoryInstalled;
    setAttribute(Qt::WA_NoSystemBackground);
}

bool TImage::clickable() const {
    return isSignalConnected(QMetaMethod::fromSignal(&TImage::Click)) ||
           isSignalConnected(QMetaMethod::fromSignal(&TImage::MouseDown));
}

void TImage::press() {
    emit MouseDown(Qt::LeftButton, Qt::NoModifier, rect().center());
    emit Click();
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

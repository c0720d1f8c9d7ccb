#include "TPanel.h"

#include <QMouseEvent>

TPanel::TPanel(QWidget* parent) : QFrame(parent) {}

void TPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) leftPressed_ = true;
    QFrame::mousePressEvent(event);
}

void TPanel::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasPressed = leftPressed_ && event->button() == Qt::LeftButton;
    if (event->button() == Qt::LeftButton) leftPressed_ = false;
    if (wasPressed && rect().contains(event->position().toPoint())) emit Click();
    QFrame::mouseReleaseEvent(event);
}

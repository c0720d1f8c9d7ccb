// A picture control: draws its bitmap at its own size, optionally skipping the colour of its
// bottom-left pixel, and reports clicks and every mouse-button press. Assistive technology
// sees it as a graphic, or as a button that it can press when a handler is bound to it.
#pragma once

#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>

class TImage : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString picture READ picture WRITE setPicture)
    Q_PROPERTY(bool transparent READ transparent WRITE setTransparent)
public:
    explicit TImage(QWidget* parent = nullptr);

    QString picture() const { return picture_; }
    void setPicture(const QString& resourcePath);  // sizes the control to the bitmap (AutoSize)
    bool transparent() const { return transparent_; }
    void setTransparent(bool on);
    const QImage& bitmap() const { return bitmap_; }

    // A handler is bound to Click or MouseDown.
    bool clickable() const;
    // What a left click gives: MouseDown at the centre, then Click.
    void press();

signals:
    // A left-button press and release inside the control.
    void Click();
    // Any button, every press: the second press of a double click counts too.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void rebuildPixmap();

    QString picture_;
    QImage bitmap_;
    QImage drawn_;  // bitmap_ with the transparent colour made clear, when transparent
    bool transparent_ = false;
    bool leftPressed_ = false;
};

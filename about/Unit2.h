// TForm2, the About window: the icon, a credit line and two links handed to the desktop.
#pragma once

#include "AboutTexts.h"
#include "ui_Unit2.h"

#include <QWidget>

class QEventLoop;

class TForm2 : public QWidget, public Ui::TForm2 {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    void DoCreate() {}

    // Shows the window application-modal and returns once it is closed: centred on the
    // screen the first time, where it was left afterwards. The result is always mrCancel
    // (2): the window has no buttons, only its caption's close button.
    int ShowModal();

public slots:
    void imgEMailClick();
    void imgWebPageClick();

protected:
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool shownBefore_ = false;
    QEventLoop* modalLoop_ = nullptr;  // while ShowModal waits
};

extern TForm2* Form2;

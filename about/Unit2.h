// TForm2, the About window: the icon, a credit line and two links handed to the desktop.
#pragma once

#include "LinkTargets.h"
#include "ui_Unit2.h"

#include <QWidget>

class TForm2 : public QWidget, public Ui::TForm2 {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    void DoCreate() {}

    // Shows the window modally: centred the first time, where it was left afterwards.
    int ShowModal();

public slots:
    void imgEMailClick();
    void imgWebPageClick();

private:
    bool shownBefore_ = false;
};

extern TForm2* Form2;

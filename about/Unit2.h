// TForm2, the About window: the icon, a credit line and two links handed to the desktop.
#pragma once

#include "ui_Unit2.h"

#include <QWidget>

// The link targets: our own examples, on a domain reserved for documentation.
inline constexpr const char* kEMailTarget = "mailto:zukineo@example.org";
inline constexpr const char* kWebPageTarget = "https://www.example.org/zukineo/";

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

// A black full-screen window with a panel filling it: where the player draws during playback.
#pragma once

#include <QWidget>

class FullScreenPanel {
public:
    FullScreenPanel();  // shows the window and lets the window manager settle it
    QWidget& panel() { return *panel_; }

private:
    QWidget window_;
    QWidget* panel_;
};

#include "Cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace {
int displayCount = 0;
}

int ShowCursor(bool show) {
    const int before = displayCount;
    displayCount += show ? 1 : -1;
    // The blank cursor covers every window of the program while the count is below 0.
    if (before >= 0 && displayCount < 0) QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    if (before < 0 && displayCount >= 0) QGuiApplication::restoreOverrideCursor();
    return displayCount;
}

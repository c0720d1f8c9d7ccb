#include "Shell.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace {
ShellHandler& handler() {
    static ShellHandler current;
    return current;
}
}  // namespace

void SetShellHandler(ShellHandler h) { handler() = std::move(h); }

void ShellExecuteA(void*, const char*, const char* file, const char*, const char*, int show) {
    if (file == nullptr) return;
    if (handler()) {
        handler()(file, show);
        return;
    }
    // The result is not looked at: a missing browser or mail program is the desktop's affair.
    QDesktopServices::openUrl(QUrl(QString::fromUtf8(file)));
}

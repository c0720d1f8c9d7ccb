#include "Unit2.h"

#include "FormProperties.h"
#include "FormResources.h"
#include "Shell.h"
#include "Unit1.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QHideEvent>
#include <QScreen>
#include <QTimer>

TForm2* Form2 = nullptr;

namespace {
constexpr int mrCancel = 2;

QString shownAddress(const char* target) {
    const QString text = QString::fromUtf8(target);
    return text.startsWith(QStringLiteral("mailto:")) ? text.mid(7) : text;
}
}  // namespace

// A tool window: a thin caption with only the close button; it cannot be resized.
TForm2::TForm2(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    InitFormResources();
    setupUi(this);
    ApplyFormProperties(this);
    setFixedSize(356, 59);
    // The pictures' words for assistive technology; each link also carries its target.
    imgIcon->setAccessibleName(QStringLiteral("zuKINEO"));
    Image5->setAccessibleName(QString::fromUtf8(kCreditLine));
    Image6->setAccessibleName(QStringLiteral("E-Mail :"));
    Image7->setAccessibleName(QStringLiteral("WebPage :"));
    imgEMail->setAccessibleName(shownAddress(kEMailTarget));
    imgEMail->setAccessibleDescription(QString::fromUtf8(kEMailTarget));
    imgWebPage->setAccessibleName(shownAddress(kWebPageTarget));
    imgWebPage->setAccessibleDescription(QString::fromUtf8(kWebPageTarget));
}

int TForm2::ShowModal() {
    if (isVisible()) return mrCancel;
    setWindowModality(Qt::ApplicationModal);
    if (!shownBefore_) {
        // Qt places a top-level window by its frame, which is not known before the window
        // manager has drawn it: the client area's size stands in for it.
        QRect frame(QPoint(), size());
        if (QScreen* screen = QGuiApplication::primaryScreen()) frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
        shownBefore_ = true;
    }
    QEventLoop loop;
    modalLoop_ = &loop;
    show();
    if (isVisible()) loop.exec();  // until hideEvent: the caption's close button
    modalLoop_ = nullptr;
    return mrCancel;
}

void TForm2::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Only a real hide (closing) ends the modal show; the window system's own hiding
    // (a spontaneous event while the window stays visible) does not.
    if (modalLoop_ != nullptr && !isVisible()) modalLoop_->quit();
}

// A tool window cannot be minimised, but some window managers offer it anyway (openbox keeps
// the iconify button of a modal utility window). Minimised, the modal window would leave the
// main window blocked with nothing on the screen to close: it comes straight back instead.
void TForm2::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized))
        QTimer::singleShot(0, this, [this] {
            setWindowState(windowState() & ~Qt::WindowMinimized);
            if (modalLoop_ != nullptr) show();
        });
}

void TForm2::imgEMailClick() { ShellExecuteA(nullptr, nullptr, kEMailTarget, nullptr, nullptr, 0); }
void TForm2::imgWebPageClick() { ShellExecuteA(nullptr, nullptr, kWebPageTarget, nullptr, nullptr, 0); }

void TfrmMain::imgIconClick() { Form2->ShowModal(); }

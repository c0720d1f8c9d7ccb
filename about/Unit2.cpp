#include "Unit2.h"

#include "FormProperties.h"
#include "FormResources.h"
#include "Shell.h"
#include "Unit1.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>

TForm2* Form2 = nullptr;

TForm2::TForm2(QWidget* parent) : QWidget(parent, Qt::Tool) {
    InitFormResources();
    setupUi(this);
    ApplyFormProperties(this);
    setFixedSize(356, 59);
}

int TForm2::ShowModal() {
    setWindowModality(Qt::ApplicationModal);
    if (!shownBefore_) {
        QRect frame(QPoint(), size());
        if (QScreen* screen = QGuiApplication::primaryScreen()) frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
        shownBefore_ = true;
    }
    show();
    QEventLoop loop;
    while (isVisible()) loop.processEvents(QEventLoop::WaitForMoreEvents);
    return 0;
}

void TForm2::imgEMailClick() { ShellExecuteA(nullptr, nullptr, kEMailTarget, nullptr, nullptr, 0); }
void TForm2::imgWebPageClick() { ShellExecuteA(nullptr, nullptr, kWebPageTarget, nullptr, nullptr, 0); }

void TfrmMain::imgIconClick() { Form2->ShowModal(); }

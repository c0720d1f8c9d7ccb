#include "Application.h"

#include "Dialogs.h"
#include "Exception.h"

#include <QAbstractEventDispatcher>
#include <QEvent>
#include <QWidget>

#include <clocale>

TApplication* Application = nullptr;

namespace {
// Posted to the application itself to run the idle handler outside the dispatcher's callback.
const QEvent::Type kIdleEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

int qtArgc = 1;
}  // namespace

TApplication::TApplication(int argc, char** argv) : QApplication(qtArgc, argv) {
    for (int i = 0; i < argc; ++i) rawArguments_.emplace_back(argv[i]);
    Application = this;
}

TApplication::~TApplication() {
    if (Application == this) Application = nullptr;
}

void TApplication::Initialize() {
    // libmpv refuses to start unless numbers are formatted the C way.
    std::setlocale(LC_NUMERIC, "C");
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &TApplication::aboutToBlock);
}

int TApplication::Run() {
    if (mainForm_ != nullptr) mainForm_->show();
    return exec();
}

void TApplication::Halt(int exitCode) { throw EHalt{exitCode}; }

void TApplication::ShowException(const std::exception& error) { ShowErrorBox(error.what()); }

bool TApplication::notify(QObject* receiver, QEvent* event) {
    if (event->type() == kIdleEvent) {
        runIdle();
        return true;
    }
    eventSinceIdle_ = true;
    // The event boundary: an error raised by any handler is shown and the loop goes on.
    try {
        return QApplication::notify(receiver, event);
    } catch (const EHalt&) {
        throw;
    } catch (const std::exception& error) {
        ShowException(error);
    }
    return true;
}

void TApplication::aboutToBlock() {
    if (!OnIdle || idlePosted_ || inIdle_ || !eventSinceIdle_) return;
    idlePosted_ = true;
    postEvent(this, new QEvent(kIdleEvent));
}

void TApplication::runIdle() {
    idlePosted_ = false;
    eventSinceIdle_ = false;
    if (!OnIdle || inIdle_) return;
    inIdle_ = true;
    ++idlePasses_;
    bool done = true;
    try {
        TIdleEvent handler = OnIdle;  // the handler may replace itself
        handler(this, done);
    } catch (const std::exception& error) {
        // No idle pass while the box is up: the next one comes after the user answered it.
        ShowException(error);
    }
    inIdle_ = false;
}

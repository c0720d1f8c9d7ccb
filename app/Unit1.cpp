#include "Unit1.h"

#include "Application.h"
#include "DroppedPaths.h"
#include "FileDialogs.h"
#include "FormProperties.h"
#include "FormResources.h"
#include "Exception.h"

#include <QCloseEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QShowEvent>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QResizeEvent>

TfrmMain* frmMain = nullptr;

TfrmMain::TfrmMain(QWidget* parent) : QWidget(parent) {
    InitFormResources();
    InstallFontSubstitutions();  // before any font of the form is resolved
    setupUi(this);
    ApplyFormProperties(this);
    MediaPlayer1 = CreateMediaPlayer(this);
    MediaPlayer1->SetDisplay(PanelScreen);
    OpenDialog1 = std::make_unique<TFileDialogSettings>(TFileDialogSettings::movieFiles());
    OpenDialog2 = std::make_unique<TFileDialogSettings>(TFileDialogSettings::loadList());
    SaveDialog1 = std::make_unique<TFileDialogSettings>(TFileDialogSettings::saveList());
    ListBox2->onDeleteKey = [this](int key, Qt::KeyboardModifiers shift) { ListBox2KeyDown(key, shift); };
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::DoCreate() { FormCreate(); }

void TfrmMain::FormCreate() {
    // 1.
    FPlaying = false;
    FMediaOpen = false;
    // 2. A file that exists but cannot be read is reported, and start-up goes on without it.
    try {
        LoadAutoSavePlaylist();
    } catch (const Exception& error) {
        Application->ShowException(error);
    }
    // 3.
    FDirectDraw = nullptr;
    // 4. to 8.
    BuildModeCatalogue();
    // 9. and 10.
    PlaceControls();
    MeasureLayout();
    // 11.
    FormResize();
    // 12.
    const auto& raw = Application->RawArguments();
    AppendArguments(std::vector<QByteArray>(raw.size() > 1 ? raw.begin() + 1 : raw.end(), raw.end()));
    // 13.
    Application->OnIdle = [this](QObject* sender, bool& done) { StartupIdle(sender, done); };
}

void TfrmMain::StartupIdle(QObject*, bool&) { Application->OnIdle = nullptr; }

bool TfrmMain::FormClose() {
    try {
        SaveAutoSavePlaylist();
    } catch (const Exception& error) {
        Application->ShowException(error);
        return false;
    }
    return true;
}

void TfrmMain::showEvent(QShowEvent* event) {
    // Centred on the screen when first shown; where the user left it afterwards.
    if (!shownBefore_ && !event->spontaneous()) {
        shownBefore_ = true;
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), size());
            frame.moveCenter(screen->geometry().center());
            move(frame.topLeft());
        }
    }
    QWidget::showEvent(event);
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (FormClose()) {
        event->accept();
    } else {
        event->ignore();
    }
}

bool TfrmMain::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (drag->mimeData()->hasUrls()) drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        drop->acceptProposedAction();
        WMDropFiles(DroppedPaths(*drop->mimeData()));
        return true;
    }
    default:
        return QWidget::event(event);
    }
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    rememberFrame();
    // The two panels fill the client area (the platform's alignment), then the handler runs.
    PanelScreen->setGeometry(rect());
    Panel1->setGeometry(rect());
    FormResize();
}

void TfrmMain::keyPressEvent(QKeyEvent* event) {
    // Only keys that produce a character reach the key-press handler.
    const QString text = event->text();
    if (!text.isEmpty()) {
        FormKeyPress(text.at(0).unicode());
        return;
    }
    QWidget::keyPressEvent(event);
}

void TfrmMain::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) FormClick();
}

int ListBoxItemIndex(const QListWidget* listBox) {
    const int row = listBox->currentRow();
    return row >= 0 && listBox->item(row)->isSelected() ? row : -1;
}

// Outer bounds. The window manager adds its frame asynchronously after every new native
// window, so the setters work from the frame the window wore the last time it had a border,
// and always hand Qt the client rectangle: Qt then maps the window with static gravity and
// the window manager puts the frame around it, instead of guessing a frame Qt does not know yet.
void TfrmMain::rememberFrame() {
    if (borderStyle_ != TBorderStyle::bsSizeable || !isVisible()) return;
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                         outer.bottom() - inner.bottom());
    if (!frame.isNull()) frame_ = frame;
}

QMargins TfrmMain::currentFrame() const { return borderStyle_ == TBorderStyle::bsSizeable ? frame_ : QMargins(); }

QRect TfrmMain::outerRect() const { return geometry().marginsAdded(currentFrame()); }

void TfrmMain::setOuter(const QRect& outer) { setGeometry(outer.marginsRemoved(currentFrame())); }

int TfrmMain::Top() const { return frameGeometry().top(); }
int TfrmMain::Left() const { return frameGeometry().left(); }

void TfrmMain::SetWidth(int width) {
    QRect outer = outerRect();
    outer.setWidth(width);
    setOuter(outer);
}

void TfrmMain::SetHeight(int height) {
    QRect outer = outerRect();
    outer.setHeight(height);
    setOuter(outer);
}

void TfrmMain::SetTop(int top) {
    QRect outer = outerRect();
    outer.moveTop(top);
    setOuter(outer);
}

void TfrmMain::SetLeft(int left) {
    QRect outer = outerRect();
    outer.moveLeft(left);
    setOuter(outer);
}

void TfrmMain::SetBorderStyle(TBorderStyle style) {
    if (style == borderStyle_) return;
    rememberFrame();
    const QRect outer = outerRect();
    const bool visible = isVisible();
    borderStyle_ = style;
    // A new border style gives a new native window; it keeps the window's place and size.
    setWindowFlag(Qt::FramelessWindowHint, style == TBorderStyle::bsNone);
    setOuter(outer);
    if (visible) show();
}

void TfrmMain::DisableInputMethod() {
    setAttribute(Qt::WA_InputMethodEnabled, false);
    for (QWidget* child : findChildren<QWidget*>()) child->setAttribute(Qt::WA_InputMethodEnabled, false);
}

void TfrmMain::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    rememberFrame();
}

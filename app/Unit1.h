// TfrmMain, the main window: its components come from forms/Unit1.ui; its handlers are defined
// in the folder of the subsystem that owns them (app: creation, close, layout; playlist:
// editing and files; playback: the catalogue, full-screen entry and exit, sequencing;
// about: the icon's click).
#pragma once

#include "TMediaPlayer.h"
#include "ui_Unit1.h"

#include <QByteArray>
#include <QMargins>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <vector>

class IDirectDraw;
class QListWidget;
class TFileDialogSettings;

enum class TBorderStyle { bsNone, bsSizeable };

// A list box's ItemIndex: the selected row, -1 when nothing is selected.
int ListBoxItemIndex(const QListWidget* listBox);

class TfrmMain : public QWidget, public Ui::TfrmMain {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Runs the creation handler; called by TApplication::CreateForm once the reference is set.
    void DoCreate();

    // The media player component (never visible); its Display is PanelScreen.
    std::unique_ptr<TMediaPlayer> MediaPlayer1;

    // Non-visual dialog components: their settings and what they remember between uses.
    std::unique_ptr<TFileDialogSettings> OpenDialog1;
    std::unique_ptr<TFileDialogSettings> OpenDialog2;
    std::unique_ptr<TFileDialogSettings> SaveDialog1;

    // --- app/ ---
    void FormCreate();
    bool FormClose();  // false keeps the window open
    void StartupIdle(QObject* sender, bool& Done);

    // --- app/Layout ---
    void PlaceControls();        // layout step, sub-step 1
    void MeasureLayout();        // sub-steps 2 and 3: minimum size and edge gaps
    void FormResize();
    void WMGetMinMaxInfo();      // applies FMinWidth/FMinHeight as the window's minimum size
    // The window's outer bounds (frame included when the window manager has given one).
    int Width() const;
    int Height() const;
    int Top() const;
    int Left() const;
    void SetWidth(int width);
    void SetHeight(int height);
    void SetTop(int top);
    void SetLeft(int left);
    void SetBorderStyle(TBorderStyle style);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void DisableInputMethod();

public slots:
    void imgLoopClick();
    void imgStretchClick();

    // --- playlist/ ---
    void imgAddFileClick();
    void imgDeleteClick();
    void imgClearClick();
    void imgUeMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint position);
    void imgSitaMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint position);
    void imgLoadClick();
    void imgSaveClick();

    // --- playback/ ---
    void imgPlayClick();
    void PanelScreenClick();
    void FormClick();

    // --- about/ ---
    void imgIconClick();

public:
    // --- playlist/ ---
    void ListBox2KeyDown(int key, Qt::KeyboardModifiers shift);
    void DeleteSelectedItem();
    void WMDropFiles(const std::vector<QByteArray>& paths);
    void LoadAutoSavePlaylist();     // FormCreate step 2; raises the open error
    void SaveAutoSavePlaylist();     // FormClose step 1; raises the create and write errors
    void AppendArguments(const std::vector<QByteArray>& arguments);  // FormCreate step 12

    // --- playback/ ---
    void BuildModeCatalogue();       // FormCreate steps 4 to 8
    void StartPlayback();
    void StopPlayback();
    void PlaybackIdle(QObject* sender, bool& Done);
    void FormKeyPress(char16_t key);
    void StartFirstItem();
    void OpenAndPlayCurrent();
    void StopMedia();
    void RestoreWindowed();

    // Private state, in the order the window declares it.
    bool FPlaying = false;
    bool FMediaOpen = false;
    std::int32_t FMinWidth = 0;
    std::int32_t FMinHeight = 0;
    std::int32_t FCheckBoxLoopBottomGap = 0;
    std::int32_t FImgLoopBottomGap = 0;
    std::int32_t FCheckBoxStretchBottomGap = 0;
    std::int32_t FImgStretchBottomGap = 0;
    std::int32_t FListBox1BottomGap = 0;
    std::int32_t FImage2RightGap = 0;
    std::int32_t FImgUeRightGap = 0;
    std::int32_t FImgPlayBottomGap = 0;
    std::int32_t FImgDeleteRightGap = 0;
    std::int32_t FImgDeleteBottomGap = 0;
    std::int32_t FImgClearRightGap = 0;
    std::int32_t FImgClearBottomGap = 0;
    std::int32_t FImgAddFileRightGap = 0;
    std::int32_t FImgAddFileBottomGap = 0;
    std::int32_t FImgSitaRightGap = 0;
    std::int32_t FImgSitaBottomGap = 0;
    std::int32_t FImgLoadRightGap = 0;
    std::int32_t FImgLoadBottomGap = 0;
    std::int32_t FImgSaveRightGap = 0;
    std::int32_t FImgSaveBottomGap = 0;
    std::int32_t FListBox2RightGap = 0;
    std::int32_t FListBox2BottomGap = 0;
    IDirectDraw* FDirectDraw = nullptr;
    std::int32_t FSavedWidth = 0;
    std::int32_t FSavedHeight = 0;
    std::int32_t FSavedTop = 0;
    std::int32_t FSavedLeft = 0;

    // Ours: the auto-save playlist file existed but could not be read at start-up, so the
    // close must not overwrite the list stored in it.
    bool FAutoSaveUnreadable = false;

protected:
    void moveEvent(QMoveEvent* event) override;
    // The message map: drops of files go to WMDropFiles; everything else to QWidget.
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void rememberFrame();
    QMargins currentFrame() const;      // the frame the window wears in its border style
    QRect outerRect() const;
    void setOuter(const QRect& outer);  // outer bounds -> Qt's client geometry

    TBorderStyle borderStyle_ = TBorderStyle::bsSizeable;
    bool shownBefore_ = false;
    QMargins frame_;  // the window manager's frame around the client area, while bordered
    QSize minFrameSize_;  // outer size less client size when FMinWidth/FMinHeight were taken
};

extern TfrmMain* frmMain;

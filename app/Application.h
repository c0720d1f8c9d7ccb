// The application object: QApplication plus the title, the help file name, form creation,
// the idle handler contract and the display of errors that handlers raise.
#pragma once

#include <QApplication>
#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

class QWidget;

inline const QString kApplicationTitle = QStringLiteral("DirectDraw で FullScreen MOVIE 再生 \"zuKINEO\" ver.2.4.2");
inline const QString kHelpFileName = QStringLiteral("zuKINEO.hlp");

// Raised by Halt: ends start-up with an exit code, shown to nobody.
struct EHalt {
    int exitCode;
};

class TApplication : public QApplication {
    Q_OBJECT
public:
    // Qt sees only the program's name: every other argument belongs to the playlist, byte for byte.
    TApplication(int argc, char** argv);
    ~TApplication() override;

    void Initialize();

    QString Title;
    QString HelpFile;

    // Idle contract: when the queue is empty the handler runs with Done = true. It runs again
    // after the next event the loop handles; the loop never spins on a handler that leaves
    // Done false; the media layer posts an event on every change of a clip's state instead.
    using TIdleEvent = std::function<void(QObject* sender, bool& Done)>;
    TIdleEvent OnIdle;

    // Creates a form: the reference is set before the form's creation handler runs.
    // The first form created is the main form.
    template <class TForm>
    void CreateForm(TForm*& reference) {
        reference = new TForm();
        if (mainForm_ == nullptr) mainForm_ = reference;
        reference->DoCreate();
    }

    // Shows the main form and handles events until it closes; returns the loop's exit code.
    int Run();

    // Ends start-up at once with the code (only before Run).
    [[noreturn]] void Halt(int exitCode);

    void ShowException(const std::exception& error);

    QWidget* MainForm() const { return mainForm_; }
    const std::vector<QByteArray>& RawArguments() const { return rawArguments_; }
    void SetRawArguments(std::vector<QByteArray> arguments) { rawArguments_ = std::move(arguments); }

    // Counts idle passes; tests read it.
    int IdlePasses() const { return idlePasses_; }

protected:
    bool notify(QObject* receiver, QEvent* event) override;

private:
    void aboutToBlock();
    void runIdle();

    QWidget* mainForm_ = nullptr;
    std::vector<QByteArray> rawArguments_;
    bool eventSinceIdle_ = true;
    bool idlePosted_ = false;
    bool inIdle_ = false;
    int idlePasses_ = 0;
};

extern TApplication* Application;

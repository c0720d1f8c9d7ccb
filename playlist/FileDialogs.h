// The settings of the three file dialogs and what each remembers between uses in one run.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QWidget;

class TFileDialogSettings {
public:
    enum class Kind { Open, Save };

    static TFileDialogSettings movieFiles();  // OpenDialog1
    static TFileDialogSettings loadList();    // OpenDialog2
    static TFileDialogSettings saveList();    // SaveDialog1

    Kind kind = Kind::Open;
    QString title;
    QString filter;  // "description|patterns|description|patterns"
    bool multiSelect = false;

    // Shows the dialog modally; the chosen paths as bytes, none when cancelled.
    std::vector<QByteArray> Execute(QWidget* parent);

    // What the last use that ended with a choice left behind.
    QByteArray lastPath;
    int lastFilterIndex = 0;

    // Tests replace the dialog with a script of answers.
    using Runner = std::function<std::vector<QByteArray>(TFileDialogSettings& dialog)>;
    static void SetRunner(Runner runner);
};

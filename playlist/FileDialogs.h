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
    bool resizable = true;

    // Shows the dialog modally; the chosen paths as bytes, none when cancelled.
    std::vector<QByteArray> Execute(QWidget* parent);

    // What the last use that ended with a choice left behind.
    QByteArray lastPath;
    int lastFilterIndex = 0;

    // Tests replace the dialog with a script of answers.
    using Runner = std::function<std::vector<QByteArray>(TFileDialogSettings& dialog)>;
    static void SetRunner(Runner runner);

private:
    std::vector<QByteArray> showDialog(QWidget* parent);
};

// A filter of the form "description|patterns|..." (patterns separated by ';') as Qt's name
// filters, "description (patterns)" with the patterns separated by spaces. "*.*" means every
// file, as it does on the desktop this filter comes from; on its own it would ask for a dot.
QStringList QtNameFilters(const QString& filter);

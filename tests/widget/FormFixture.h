// A main window built as start-up builds it, on the fake display and media layers, with the
// message boxes captured instead of shown.
#pragma once

#include "Dialogs.h"
#include "FakeDirectDraw.h"
#include "FakeMediaPlayer.h"
#include "Unit1.h"
#include "Unit2.h"

#include <gtest/gtest.h>

#include <QString>

#include <string>
#include <vector>

struct ShownMessage {
    MessageKind kind;
    QString caption;
    QString text;
};

class FormFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs start-up (the form's creation) with these arguments after the program's name.
    // Returns the exit code when start-up halted, -1 when the window was created.
    int createForm(const std::vector<QByteArray>& arguments = {});

    // Runs the event loop for a while (idle passes included).
    static void settle(int ms = 30);

    FakeDisplay display;
    FakeMedia media;
    std::vector<ShownMessage> messages;
    TfrmMain* form = nullptr;
};

// The auto-save playlist file of the running test executable.
std::string AutoSavePathOfThisProcess();

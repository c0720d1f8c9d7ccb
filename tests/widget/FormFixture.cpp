#include "FormFixture.h"

#include "Application.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

std::string AutoSavePathOfThisProcess() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    std::string path(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) path.erase(dot);
    return path + ".INI";
}

void FormFixture::SetUp() {
    std::remove(AutoSavePathOfThisProcess().c_str());
    display.modes = {{640, 480, 32}, {800, 600, 32}, {1024, 768, 32}};
    display.install();
    media.install();
    SetMessageSink([this](MessageKind kind, const QString& caption, const QString& text) {
        messages.push_back({kind, caption, text});
    });
}

void FormFixture::TearDown() {
    if (form != nullptr) {
        form->StopPlayback();  // gives back the display object and the cursor count
        Application->OnIdle = nullptr;
        delete form;
    }
    frmMain = nullptr;
    delete Form2;
    Form2 = nullptr;
    SetMessageSink({});
    FakeMedia::uninstall();
    FakeDisplay::uninstall();
    std::remove(AutoSavePathOfThisProcess().c_str());
}

int FormFixture::createForm(const std::vector<QByteArray>& arguments) {
    // What the entry passes on: the program's name, then the arguments.
    std::vector<QByteArray> raw{QByteArrayLiteral("zukineo")};
    raw.insert(raw.end(), arguments.begin(), arguments.end());
    Application->SetRawArguments(raw);
    try {
        frmMain = new TfrmMain();
        form = frmMain;
        frmMain->DoCreate();
        Form2 = new TForm2();
    } catch (const EHalt& halt) {
        return halt.exitCode;
    }
    form->show();
    settle();
    return -1;
}

void FormFixture::settle(int ms) {
    // A real loop that blocks when nothing is pending, so idle moments happen as in the program.
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

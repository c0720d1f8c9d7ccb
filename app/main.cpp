// The process entry.
#include "Application.h"
#include "DirectDraw.h"
#include "Exception.h"
#include "Unit1.h"
#include "Unit2.h"

int main(int argc, char** argv) {
    // Without an X display the program cannot switch modes and ends as it does when the
    // display object cannot be created: exit code 1, nothing shown, nothing printed.
    if (!DisplayServerReachable()) return 1;
    qputenv("QT_QPA_PLATFORM", "xcb");  // the mode switch and the video embedding are X11 services

    TApplication app(argc, argv);
    try {
        Application->Initialize();
        Application->Title = kApplicationTitle;
        Application->HelpFile = kHelpFileName;
        Application->CreateForm(frmMain);
        Application->CreateForm(Form2);
        Application->Run();
    } catch (const EHalt& halt) {
        return halt.exitCode;
    } catch (const std::exception& error) {
        Application->ShowException(error);
    }
    return 0;
}

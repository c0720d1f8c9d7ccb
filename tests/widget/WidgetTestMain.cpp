// The widget tests' entry: the application object on the offscreen platform, then the tests.
#include "Application.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(1, argv);
    app.Initialize();
    Application->Title = kApplicationTitle;
    Application->HelpFile = kHelpFileName;
    return RUN_ALL_TESTS();
}

// The error message box's text: the "." rule and the readable decoding of path bytes.
#include "Dialogs.h"

#include <gtest/gtest.h>

TEST(ErrorBoxText, AddsAFullStopOnlyAfterCharactersThatSortAfterIt) {
    const struct {
        std::string message;
        std::string shown;
    } cases[] = {
        {"", ""},
        {"Error", "Error."},
        {"Error.", "Error."},
        {"ends with a dash -", "ends with a dash -"},   // '-' sorts before '.'
        {"ends with a space ", "ends with a space "},
        {"ends with a slash/", "ends with a slash/."},  // '/' sorts after '.'
        {"3", "3."},
        {"ファイル a は開けません", "ファイル a は開けません."},  // a multi-byte last character
        {"原因不明のエラー", "原因不明のエラー."},
    };
    for (const auto& c : cases) EXPECT_EQ(ErrorBoxText(c.message).toStdString(), c.shown) << c.message;
}

TEST(DisplayText, KeepsValidTextAndShowsInvalidBytes) {
    const struct {
        std::string bytes;
        std::string shown;
    } cases[] = {
        {"/movies/a.avi", "/movies/a.avi"},
        {"/動画/テスト.mpg", "/動画/テスト.mpg"},
        {std::string("/bad/\xff\xfe.avi"), "/bad/\\xff\\xfe.avi"},
        {std::string("/sjis/\x83\x65\x83\x58\x83\x67.avi"), "/sjis/\\x83e\\x83X\\x83g.avi"},
        {std::string("trail\xe3\x81"), "trail\\xe3\\x81"},         // a cut multi-byte character
        {std::string("over\xc0\xaf"), "over\\xc0\\xaf"},           // an overlong '/'
    };
    for (const auto& c : cases) EXPECT_EQ(DisplayText(c.bytes).toStdString(), c.shown) << c.shown;
}

// What a drop delivers (the exact bytes of local paths) and the dialogs' filters in Qt's form.
#include "DroppedPaths.h"
#include "FileDialogs.h"

#include <gtest/gtest.h>

#include <QMimeData>
#include <QSysInfo>

#include <vector>

namespace {

using Paths = std::vector<QByteArray>;

TEST(DroppedPaths, LocalPathsAsBytesInDropOrder) {
    const QByteArray longName = "/m/" + QByteArray(300, 'n') + ".avi";  // past the old 254-byte cut
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
    const struct {
        const char* name;
        QByteArray uriList;
        Paths paths;
    } cases[] = {
        {"two files, CR LF", "file:///tmp/a%20b.avi\r\nfile:///tmp/c.mpg\r\n", {"/tmp/a b.avi", "/tmp/c.mpg"}},
        {"LF only, no final end", "file:///x/1\nfile:///x/2", {"/x/1", "/x/2"}},
        {"bytes that are no UTF-8", "file:///m/%FF%fe%80.avi\r\n", {"/m/\xff\xfe\x80.avi"}},
        {"UTF-8 left unencoded", "file:///m/\xe5\x86\x8d.avi\r\n", {"/m/\xe5\x86\x8d.avi"}},
        {"a folder", "file:///home/me/movies/\r\n", {"/home/me/movies/"}},
        {"localhost and this machine", "file://localhost/a\r\nfile://" + host + "/b\r\n", {"/a", "/b"}},
        {"other machines and schemes are left out",
         "http://example.org/a.avi\r\nfile://elsewhere.example/b\r\nsmb://server/c\r\nfile:///d\r\n", {"/d"}},
        {"comments and blank lines", "# from a file manager\r\n\r\nfile:///e\r\n", {"/e"}},
        {"scheme in capitals", "FILE:///f\r\n", {"/f"}},
        {"a broken escape stays", "file:///g%2\r\nfile:///h%zz\r\n", {"/g%2", "/h%zz"}},
        {"encoded ? and # are part of the name", "file:///i%3F%23j?query#frag\r\n", {"/i?#j"}},
        {"long names whole", "file://" + longName + "\r\n", {longName}},
        {"nothing", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QMimeData data;
        data.setData("text/uri-list", c.uriList);
        EXPECT_EQ(DroppedPaths(data), c.paths);
    }
}

TEST(FileDialogFilters, DescriptionsKeptPatternsForQt) {
    EXPECT_EQ(QtNameFilters(TFileDialogSettings::movieFiles().filter),
              (QStringList{"ムービーファイル(*.avi;*.mpg;*.mpeg) (*.avi *.mpg *.mpeg)", "あらゆるファイル(*.*) (*)"}));
    EXPECT_EQ(QtNameFilters(TFileDialogSettings::loadList().filter),
              (QStringList{"テキスト形式リスト(*.txt;*.lst) (*.txt *.lst)", "すべてのファイル(*.*) (*)"}));
    EXPECT_EQ(TFileDialogSettings::saveList().filter, TFileDialogSettings::loadList().filter);
}

}  // namespace

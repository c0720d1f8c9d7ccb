// List files: the text codec, the auto-save path, and loading and saving real files,
// including the failures that must never cost the stored list.
#include "Exception.h"
#include "ListFile.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Items = std::vector<QByteArray>;

std::string printable(const Items& items) {
    std::string out = "[";
    for (const QByteArray& item : items) {
        out += '"';
        for (char c : item.left(40)) {
            const auto u = static_cast<unsigned char>(c);
            if (u >= 0x20 && u < 0x7f) {
                out += c;
            } else {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02x", u);
                out += hex;
            }
        }
        if (item.size() > 40) out += "...(" + std::to_string(item.size()) + " bytes)";
        out += "\" ";
    }
    return out + "]";
}

// ---- the codec ----

struct TextCase {
    const char* name;
    QByteArray text;
    Items items;
};

std::vector<TextCase> textCases() {
    const QByteArray longLine(100 * 1024, 'x');
    return {
        {"empty", "", {}},
        {"no final line end", "a\r\nb", {"a", "b"}},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"lone CR", "a\rb\r", {"a", "b"}},
        {"lone LF", "a\nb\n", {"a", "b"}},
        {"LF CR is two line ends", "a\n\rb", {"a", "", "b"}},
        {"LF CR at the end", "a\n\r", {"a", ""}},
        {"mixed line ends", "a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"blank line in the middle", "a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"double CR LF at the end", "a\r\n\r\n", {"a", ""}},
        {"only a line end", "\r\n", {""}},
        {"zero byte in the middle", QByteArray("a\r\nb\0c\r\nd", 10), {"a", "b"}},
        {"zero byte first", QByteArray("\0a\r\n", 4), {}},
        {"UTF-16 text", QByteArray("\xff\xfe" "a\0b\0\r\0\n\0", 10), {"\xff\xfe" "a"}},
        {"BOM stays in the first item", "\xef\xbb\xbf/m/a.avi\r\n/m/b.avi\r\n", {"\xef\xbb\xbf/m/a.avi", "/m/b.avi"}},
        {"invalid UTF-8", "/m/\xff\xfe\x80.avi\r\n/m/\xc3(.mpg\r\n", {"/m/\xff\xfe\x80.avi", "/m/\xc3(.mpg"}},
        {"spaces, tabs and quotes stay", " \"a b\"\t \r\n", {" \"a b\"\t "}},
        {"100 KB line", longLine + "\r\nb\r\n", {longLine, "b"}},
    };
}

TEST(ListText, ReadingRules) {
    for (const TextCase& c : textCases()) {
        SCOPED_TRACE(c.name);
        const Items items = ParseListText(c.text);
        EXPECT_EQ(items, c.items) << printable(items);
    }
}

TEST(ListText, EveryItemIsWrittenWithCrLfAndReadBackTheSame) {
    for (const TextCase& c : textCases()) {
        SCOPED_TRACE(c.name);
        const QByteArray written = ListText(c.items);
        QByteArray expected;
        for (const QByteArray& item : c.items) expected += item + "\r\n";
        EXPECT_EQ(written, expected);
        EXPECT_EQ(ParseListText(written), c.items);
    }
    EXPECT_EQ(ListText({}).size(), 0);
}

// ---- the auto-save path ----

TEST(AutoSavePath, ExtensionReplacedOrAppended) {
    const struct {
        QByteArray executable;
        QByteArray expected;
    } cases[] = {
        {"/work/build/zukineo", "/work/build/zukineo.INI"},
        {"/opt/zk/player.exe", "/opt/zk/player.INI"},
        {"/opt/zk/player.tar.gz", "/opt/zk/player.tar.INI"},
        {"/opt/zk.d/player", "/opt/zk.d/player.INI"},  // a dot in a folder is no extension
        {"/opt/zk/player.", "/opt/zk/player.INI"},
        {"/opt/zk/.player", "/opt/zk/.INI"},            // the last dot after the last '/'
        {"player", "player.INI"},
        {"/opt/\xff\xfe.d/\xe5\x86\x8d.bin", "/opt/\xff\xfe.d/\xe5\x86\x8d.INI"},
    };
    for (const auto& c : cases) EXPECT_EQ(AutoSavePathFor(c.executable), c.expected) << c.executable.constData();
}

TEST(AutoSavePath, BesideThisExecutable) {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    ASSERT_GT(n, 0);
    EXPECT_EQ(AutoSavePath(), QByteArray(buffer, n) + ".INI");  // test executables have no dot
}

// ---- real files ----

class ListFileOnDisk : public testing::Test {
protected:
    void TearDown() override { SetListFileWriter({}); }

    QByteArray path(const char* name) const { return QFile::encodeName(dir.path()) + '/' + name; }
    static QByteArray contents(const QByteArray& file) {
        QFile f(QFile::decodeName(file));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    static void write(const QByteArray& file, const QByteArray& bytes) {
        QFile f(QFile::decodeName(file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    // The names in the folder: a failed save must leave no temporary file behind.
    QStringList entries() const {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    static mode_t modeOf(const QByteArray& file) {
        struct stat st {};
        return ::stat(file.constData(), &st) == 0 ? st.st_mode & 07777 : 0;
    }
    static std::string messageOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const Exception& error) {
            return error.Message();
        }
        return "<no error>";
    }

    QTemporaryDir dir;
    const Items items{"/movies/a.avi", "", "relative/b.mpg", "/m/\xff\xfe\x80 name.mpeg", std::string(5000, 'L').c_str()};
};

TEST_F(ListFileOnDisk, SaveThenLoadGivesTheSameBytes) {
    const QByteArray file = path("list.txt");
    SaveListFile(file, items);
    EXPECT_EQ(contents(file), ListText(items));
    EXPECT_EQ(LoadListFile(file), items);
    EXPECT_EQ(entries(), QStringList{"list.txt"});
}

TEST_F(ListFileOnDisk, EmptyPlaylistIsAFileOfZeroBytes) {
    const QByteArray file = path("empty");
    write(file, "old\r\n");
    SaveListFile(file, {});
    EXPECT_EQ(QFileInfo(QFile::decodeName(file)).size(), 0);
    EXPECT_TRUE(LoadListFile(file).empty());
}

TEST_F(ListFileOnDisk, NewFileGetsTheUsualPermissionsAndAReplacedOneKeepsItsOwn) {
    const mode_t mask = ::umask(022);
    SaveListFile(path("new"), items);
    EXPECT_EQ(modeOf(path("new")), 0644u);
    ::umask(mask);

    write(path("private"), "x\r\n");
    ::chmod(path("private").constData(), 0600);
    SaveListFile(path("private"), items);
    EXPECT_EQ(modeOf(path("private")), 0600u);
}

TEST_F(ListFileOnDisk, SymbolicLinkIsFollowedAndStaysALink) {
    QDir(dir.path()).mkdir("real");
    const QByteArray target = path("real/list.lst");
    write(target, "old\r\n");
    ::chmod(target.constData(), 0640);
    ASSERT_EQ(::symlink("real/list.lst", path("link").constData()), 0);

    SaveListFile(path("link"), items);
    struct stat st {};
    ASSERT_EQ(::lstat(path("link").constData(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(contents(target), ListText(items));
    EXPECT_EQ(modeOf(target), 0640u);
    EXPECT_EQ(QDir(dir.path() + "/real").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"list.lst"});
}

TEST_F(ListFileOnDisk, LoadFailuresGiveTheOpenError) {
    QDir(dir.path()).mkdir("folder");
    const QByteArray locked = path("locked");
    write(locked, "a\r\n");
    // Another program writing the file holds it with an exclusive lock.
    const int writer = ::open(locked.constData(), O_RDONLY);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);

    for (const QByteArray& file : {path("missing"), path("folder"), locked})
        EXPECT_EQ(messageOf([&] { LoadListFile(file); }), "ファイル " + file.toStdString() + " は開けません");
    ::close(writer);
    EXPECT_EQ(LoadListFile(locked), Items{"a"});
}

TEST_F(ListFileOnDisk, AnotherReaderDoesNotStopALoad) {
    const QByteArray file = path("shared");
    write(file, "a\r\n");
    const int reader = ::open(file.constData(), O_RDONLY);
    ASSERT_EQ(::flock(reader, LOCK_SH), 0);
    EXPECT_EQ(LoadListFile(file), Items{"a"});
    ::close(reader);
}

TEST_F(ListFileOnDisk, SpecialFilesLoadWithoutHanging) {
    // A FIFO without a writer, and endless zeros (reading stops at the first zero byte).
    ASSERT_EQ(::mkfifo(path("fifo").constData(), 0600), 0);
    EXPECT_TRUE(LoadListFile(path("fifo")).empty());
    EXPECT_TRUE(LoadListFile("/dev/zero").empty());
    EXPECT_TRUE(LoadListFile("/dev/null").empty());
}

TEST_F(ListFileOnDisk, CreateErrorsLeaveTheOldFile) {
    QDir(dir.path()).mkdir("folder");
    const QByteArray readOnly = path("read-only");
    write(readOnly, "kept\r\n");
    ::chmod(readOnly.constData(), 0444);  // refused even to the superuser
    const QByteArray held = path("held");
    write(held, "held\r\n");
    const int reader = ::open(held.constData(), O_RDONLY);
    ASSERT_EQ(::flock(reader, LOCK_SH), 0);
    ASSERT_EQ(::symlink("read-only", path("link-to-read-only").constData()), 0);
    ASSERT_EQ(::symlink("self", path("self").constData()), 0);

    for (const QByteArray& file : {path("folder"), path("missing-folder/list"), readOnly, held,
                                   path("link-to-read-only"), path("self"), QByteArray("")}) {
        SCOPED_TRACE(file.constData());
        EXPECT_EQ(messageOf([&] { SaveListFile(file, items); }), "ファイル " + file.toStdString() + " を作成できません");
    }
    ::close(reader);
    EXPECT_EQ(contents(readOnly), "kept\r\n");
    EXPECT_EQ(contents(held), "held\r\n");
    EXPECT_EQ(entries().size(), 5);  // nothing new beside them
}

TEST_F(ListFileOnDisk, FailedWriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
    const QByteArray file = path("list.txt");
    write(file, "old\r\n");
    // The disk fills up after a few bytes.
    std::size_t room = 10;
    SetListFileWriter([&](int fd, const char* data, std::size_t size) -> ssize_t {
        if (room == 0) {
            errno = ENOSPC;
            return -1;
        }
        const std::size_t n = std::min(room, size);
        room -= n;
        return ::write(fd, data, n);
    });
    EXPECT_EQ(messageOf([&] { SaveListFile(file, items); }), "ストリームへの書き込みエラー");
    EXPECT_EQ(contents(file), "old\r\n");
    EXPECT_EQ(entries(), QStringList{"list.txt"});
}

TEST_F(ListFileOnDisk, DevicesAreWrittenInPlace) {
    EXPECT_EQ(messageOf([&] { SaveListFile("/dev/null", items); }), "<no error>");
    struct stat st {};
    ASSERT_EQ(::stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    EXPECT_EQ(messageOf([&] { SaveListFile("/dev/full", items); }), "ストリームへの書き込みエラー");
}

// Runs a check in a child process and returns its exit code (77: the check cannot run here).
int inChild(const std::function<int()>& check) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(check());
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST_F(ListFileOnDisk, FolderThatCannotBeWrittenGivesTheCreateError) {
    QDir(dir.path()).mkdir("closed");
    ::chmod(path("closed").constData(), 0555);
    const QByteArray file = path("closed/list");
    const int code = inChild([&] {
        // The superuser may write anywhere: the check runs as nobody.
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 77;
        return messageOf([&] { SaveListFile(file, {"a"}); }) == "ファイル " + file.toStdString() + " を作成できません"
                   ? 0
                   : 1;
    });
    ::chmod(path("closed").constData(), 0755);
    if (code == 77) GTEST_SKIP() << "cannot drop privileges";
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(QDir(dir.path() + "/closed").isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST_F(ListFileOnDisk, FullDiskKeepsTheOldFile) {
    // A real full file system: a small tmpfs in a mount namespace of the child's own, so
    // that nothing of it outlives the check.
    QDir(dir.path()).mkdir("small");
    const QByteArray small = path("small");
    const int code = inChild([&] {
        if (::unshare(CLONE_NEWNS) != 0) return 77;
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return 77;
        if (::mount("zk-small", small.constData(), "tmpfs", 0, "size=64k") != 0) return 77;
        const QByteArray file = small + "/list.txt";
        const QByteArray old = ListText({"/kept/one.avi", "/kept/two.avi"});
        {
            const int fd = ::open(file.constData(), O_WRONLY | O_CREAT, 0644);
            if (fd < 0 || ::write(fd, old.constData(), static_cast<std::size_t>(old.size())) != old.size()) return 2;
            ::close(fd);
        }
        Items big;
        for (int i = 0; i < 4000; ++i) big.push_back(QByteArray("/movies/some/longer/folder/name/clip-") + QByteArray::number(i));
        if (messageOf([&] { SaveListFile(file, big); }) != "ストリームへの書き込みエラー") return 3;
        if (contents(file) != old) return 4;
        if (QDir(QFile::decodeName(small)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot) !=
            QStringList{"list.txt"})
            return 5;
        return 0;
    });
    if (code == 77) GTEST_SKIP() << "cannot mount a tmpfs here";
    EXPECT_EQ(code, 0);
}

}  // namespace

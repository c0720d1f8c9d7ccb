// The look at a file before it goes to the decoder: what each kind of path is reported as,
// that it never blocks, and the messages the user sees.
#include "MediaFileCheck.h"
#include "TMediaPlayer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <set>
#include <sys/stat.h>
#include <thread>

using namespace std::chrono_literals;

namespace {
class MediaFileCheckTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QByteArray path(const char* name) const { return QFile::encodeName(dir.filePath(QString::fromUtf8(name))); }

    void write(const char* name, const QByteArray& bytes) const {
        QFile file(QString::fromLocal8Bit(path(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir dir;
};

const QByteArray kAviHeader = QByteArray("RIFF\x10\x00\x00\x00" "AVI LIST", 16);
}  // namespace

TEST_F(MediaFileCheckTest, ReportsEachKindOfPath) {
    write("clip.avi", kAviHeader + QByteArray(100, 'x'));
    write("empty.avi", {});
    write("text.avi", "hello\n");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.avi"));
    ASSERT_EQ(::mkfifo(path("fifo.avi").constData(), 0600), 0);
    ASSERT_EQ(::symlink("nowhere.avi", path("dangling.avi").constData()), 0);

    struct Case {
        const char* name;
        std::optional<OpenFailure> failure;
    };
    const Case cases[] = {
        {"clip.avi", std::nullopt},
        {"text.avi", std::nullopt},  // the decoder decides about the contents
        {"missing.avi", OpenFailure::NotFound},
        {"dangling.avi", OpenFailure::NotFound},
        {"clip.avi/inner.avi", OpenFailure::NotFound},  // a file used as a folder
        {"folder.avi", OpenFailure::Folder},
        {"fifo.avi", OpenFailure::NotAFile},  // must not wait for a writer
        {"empty.avi", OpenFailure::Empty},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CheckMediaFile(path(c.name)).failure, c.failure);
    }
    EXPECT_EQ(CheckMediaFile("").failure, OpenFailure::NotFound);
    EXPECT_EQ(CheckMediaFile("/dev/zero").failure, OpenFailure::NotAFile);
}

TEST_F(MediaFileCheckTest, KeepsTheFirstBytesOfAFile) {
    write("clip.avi", kAviHeader + QByteArray(100, 'x'));
    write("short.avi", "RIFF");
    EXPECT_EQ(CheckMediaFile(path("clip.avi")).header, kAviHeader);
    EXPECT_EQ(CheckMediaFile(path("short.avi")).header, QByteArray("RIFF"));
}

TEST(MediaFileCheck, RecognisesTheStartOfKnownContainers) {
    struct Case {
        QByteArray header;
        bool known;
    };
    const Case cases[] = {
        {kAviHeader, true},
        {QByteArray("RIFF\x24\x00\x00\x00WAVEfmt ", 16), true},
        {QByteArray("\x00\x00\x01\xba\x44\x00\x04\x00", 8), true},  // MPEG program stream
        {QByteArray("\x00\x00\x01\xb3\x0a\x00\x78\x13", 8), true},  // MPEG video
        {QByteArray("\x00\x00\x00\x20" "ftypisom", 12), true},
        {QByteArray("\x1a\x45\xdf\xa3\x9f\x42\x86\x81", 8), true},  // Matroska
        {QByteArray("RIFF\x10\x00\x00\x00WEBPVP8 ", 16), false},      // RIFF, but a picture
        {QByteArray("This is not a movie."), false},
        {QByteArray("\x00\x00\x01", 3), false},  // too short to tell
        {QByteArray(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header.toHex().toStdString());
        EXPECT_EQ(LooksLikeMediaContainer(c.header), c.known);
    }
}

TEST(MediaFileCheck, GivesUpOnACheckThatDoesNotAnswerInTime) {
    // A stat on a dead network mount: the check blocks far longer than the bound.
    auto stuck = [](const QByteArray&) {
        std::this_thread::sleep_for(3s);
        return MediaFileCheck{};
    };
    const auto start = std::chrono::steady_clock::now();
    const MediaFileCheck result = CheckMediaFileWithin("/any", start + 100ms, stuck);
    EXPECT_EQ(result.failure, OpenFailure::TimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

TEST(MediaFileCheck, PassesOnTheAnswerOfACheckInTime) {
    auto found = [](const QByteArray& path) { return MediaFileCheck{std::nullopt, path}; };
    auto failing = [](const QByteArray&) -> MediaFileCheck { throw std::runtime_error("no"); };
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    EXPECT_EQ(CheckMediaFileWithin("abc", deadline, found).header, QByteArray("abc"));
    EXPECT_EQ(CheckMediaFileWithin("abc", deadline, failing).failure, OpenFailure::Unknown);
}

TEST(MediaFileCheck, EveryFailureHasItsOwnJapaneseMessage) {
    const OpenFailure all[] = {OpenFailure::NotFound,      OpenFailure::Folder,    OpenFailure::NotAFile,
                               OpenFailure::Empty,         OpenFailure::ReadError, OpenFailure::Damaged,
                               OpenFailure::UnknownFormat, OpenFailure::NothingToPlay, OpenFailure::NoOutput,
                               OpenFailure::TimedOut,      OpenFailure::NoPlayer,  OpenFailure::Unknown};
    std::set<std::string> seen;
    for (OpenFailure failure : all) {
        const std::string message = OpenFailureMessage(failure);
        EXPECT_TRUE(seen.insert(message).second) << message;
        EXPECT_NE(message, kNoDeviceMessage);
        // Japanese text: every message has characters beyond ASCII.
        EXPECT_TRUE(std::any_of(message.begin(), message.end(), [](char c) { return (c & 0x80) != 0; })) << message;
    }
    EXPECT_EQ(OpenFailureMessage(OpenFailure::Unknown), kUnknownErrorMessage);
}

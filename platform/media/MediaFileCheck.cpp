#include "MediaFileCheck.h"

#include <cerrno>
#include <fcntl.h>
#include <future>
#include <memory>
#include <system_error>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

std::string OpenFailureMessage(OpenFailure failure) {
    switch (failure) {
        case OpenFailure::NotFound: return "ファイルが見つかりません";
        case OpenFailure::Folder: return "フォルダは再生できません";
        case OpenFailure::NotAFile: return "通常のファイルではないため開けません";
        case OpenFailure::Empty: return "ファイルが空です";
        case OpenFailure::ReadError: return "ファイルを読み込めません";
        case OpenFailure::Damaged: return "ファイルが壊れているか、途中で切れています";
        case OpenFailure::UnknownFormat: return "再生できない形式のファイルです";
        case OpenFailure::NothingToPlay: return "映像も音声も含まれていないファイルです";
        case OpenFailure::NoOutput: return "映像または音声を出力できません";
        case OpenFailure::TimedOut: return "ファイルを開く処理が時間内に終わりませんでした";
        case OpenFailure::NoPlayer: return "メディアプレーヤーを初期化できません";
        case OpenFailure::Unknown: break;
    }
    return "原因不明のエラー";
}

namespace {
OpenFailure failureOfErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP: return OpenFailure::NotFound;
        case EISDIR: return OpenFailure::Folder;
        default: return OpenFailure::ReadError;
    }
}

struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0) ::close(fd);
    }
};
}  // namespace

MediaFileCheck CheckMediaFile(const QByteArray& path) {
    if (path.isEmpty()) return {OpenFailure::NotFound, {}};
    struct stat info {};
    if (::stat(path.constData(), &info) != 0) return {failureOfErrno(errno), {}};
    if (S_ISDIR(info.st_mode)) return {OpenFailure::Folder, {}};
    if (!S_ISREG(info.st_mode)) return {OpenFailure::NotAFile, {}};
    // O_NONBLOCK: the path may have been swapped for a FIFO since the stat.
    const FdCloser file{::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) return {failureOfErrno(errno), {}};
    if (::fstat(file.fd, &info) != 0) return {OpenFailure::ReadError, {}};
    if (!S_ISREG(info.st_mode)) return {OpenFailure::NotAFile, {}};
    if (info.st_size == 0) return {OpenFailure::Empty, {}};
    char bytes[16];
    ssize_t got = -1;
    do {
        got = ::read(file.fd, bytes, sizeof bytes);
    } while (got < 0 && errno == EINTR);
    if (got < 0) return {OpenFailure::ReadError, {}};
    if (got == 0) return {OpenFailure::Empty, {}};
    return {std::nullopt, QByteArray(bytes, static_cast<int>(got))};
}

MediaFileCheck CheckMediaFileWithin(const QByteArray& path, std::chrono::steady_clock::time_point deadline,
                                    const std::function<MediaFileCheck(const QByteArray&)>& check) {
    // The promise is shared with the thread, so a thread that outlives the wait still has
    // somewhere to put its answer.
    auto promise = std::make_shared<std::promise<MediaFileCheck>>();
    std::future<MediaFileCheck> answer = promise->get_future();
    auto run = [promise, path, check] {
        try {
            promise->set_value(check(path));
        } catch (...) {
            promise->set_value({OpenFailure::Unknown, {}});
        }
    };
    try {
        std::thread(run).detach();
    } catch (const std::system_error&) {
        run();  // no thread to be had: look at the file here rather than not at all
    }
    if (answer.wait_until(deadline) != std::future_status::ready) return {OpenFailure::TimedOut, {}};
    return answer.get();
}

bool LooksLikeMediaContainer(const QByteArray& header) {
    auto at = [&header](int offset, const QByteArray& magic) { return header.mid(offset, magic.size()) == magic; };
    return (at(0, "RIFF") && (at(8, "AVI ") || at(8, "WAVE"))) ||
           at(0, QByteArray("\x00\x00\x01\xba", 4)) ||  // MPEG program stream pack header
           at(0, QByteArray("\x00\x00\x01\xb3", 4)) ||  // MPEG video sequence header
           at(4, "ftyp") || at(4, "moov") ||            // MP4, QuickTime
           at(0, "\x1a\x45\xdf\xa3") ||                 // Matroska, WebM
           at(0, "OggS") || at(0, "FLV") ||
           at(0, "\x30\x26\xb2\x75\x8e\x66\xcf\x11");   // ASF, WMV
}

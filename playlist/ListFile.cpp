#include "ListFile.h"

#include "Exception.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <random>
#include <string>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Owns one file descriptor.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : fd_(fd) {}
    FileHandle(FileHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileHandle& operator=(FileHandle&& other) noexcept {
        if (this != &other) {
            close();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    ~FileHandle() { close(); }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now and tells whether the close succeeded (a delayed write error shows here).
    bool close() {
        const int fd = std::exchange(fd_, -1);
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_ = -1;
};

// Removes a temporary file unless it was renamed into place.
class TemporaryName {
public:
    explicit TemporaryName(QByteArray path) : path_(std::move(path)) {}
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;
    ~TemporaryName() {
        if (!path_.isEmpty()) ::unlink(path_.constData());
    }
    const QByteArray& path() const { return path_; }
    void release() { path_.clear(); }

private:
    QByteArray path_;
};

ListFileWriter& writer() {
    static ListFileWriter current;
    return current;
}

ssize_t writeSome(int fd, const char* data, std::size_t size) {
    if (writer()) return writer()(fd, data, size);
    return ::write(fd, data, size);
}

// All bytes or false; errno tells why.
bool writeAll(int fd, const QByteArray& text) {
    const char* data = text.constData();
    std::size_t left = static_cast<std::size_t>(text.size());
    while (left > 0) {
        const ssize_t n = writeSome(fd, data, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

[[noreturn]] void raise(const QByteArray& message) { throw Exception(message.toStdString()); }

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) return QByteArrayLiteral(".");
    if (slash == 0) return QByteArrayLiteral("/");
    return path.left(slash);
}

// Follows symbolic links on the last part of the path, so that the rename replaces the file
// the link points to and not the link. Returns false for a loop of links.
bool resolveLinks(QByteArray& path) {
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        QByteArray target(st.st_size > 0 ? st.st_size + 1 : 4096, Qt::Uninitialized);
        const ssize_t n = ::readlink(path.constData(), target.data(), static_cast<std::size_t>(target.size()));
        if (n < 0) return true;  // gone meanwhile: the open below tells
        if (n >= target.size()) continue;  // grew meanwhile: read it again
        target.truncate(n);
        path = target.startsWith('/') ? target : folderOf(path) + '/' + target;
    }
    return false;
}

// A name beside the target that nobody else uses, created with the usual permissions
// (0666 less the umask), as a new file would get them.
FileHandle createTemporary(const QByteArray& folder, QByteArray& name) {
    static std::mt19937_64 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + "/.zukineo-" + QByteArray::number(static_cast<qulonglong>(random()), 36) + ".tmp";
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0 || errno != EEXIST) return FileHandle(fd);
    }
    return FileHandle();
}

// Devices and pipes (/dev/null, a FIFO) cannot be replaced by a rename: they are written
// in place.
void writeInPlace(FileHandle& file, const QByteArray& path, const QByteArray& text) {
    const int flags = ::fcntl(file.get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) raise(CreateErrorMessage(path));
    if (!writeAll(file.get(), text) || !file.close()) raise(WriteErrorMessage());
}

}  // namespace

std::vector<ItemSpan> ListLines(QByteArrayView text) {
    const char* data = text.data();
    const void* zero = text.isEmpty() ? nullptr : std::memchr(data, 0, static_cast<std::size_t>(text.size()));
    const qsizetype end = zero != nullptr ? static_cast<const char*>(zero) - data : text.size();
    // Every line but the last ends in CR or LF: counting them first sizes the list once,
    // instead of growing it through copies of fresh memory.
    qsizetype ends = 0;
    for (qsizetype i = 0; i < end; ++i) ends += (data[i] == '\r') | (data[i] == '\n');
    std::vector<ItemSpan> lines;
    lines.reserve(static_cast<std::size_t>(ends) + 1);
    qsizetype pos = 0;
    while (pos < end) {
        const qsizetype start = pos;
        while (pos < end && data[pos] != '\r' && data[pos] != '\n') ++pos;
        lines.push_back({start, pos - start});
        if (pos < end && data[pos] == '\r') ++pos;
        if (pos < end && data[pos] == '\n') ++pos;
    }
    return lines;
}

std::vector<QByteArray> ParseListText(QByteArrayView text) {
    std::vector<QByteArray> items;
    for (const ItemSpan& line : ListLines(text)) items.emplace_back(text.data() + line.offset, line.size);
    return items;
}

QByteArray OpenErrorMessage(const QByteArray& path) { return "ファイル " + path + " は開けません"; }
QByteArray CreateErrorMessage(const QByteArray& path) { return "ファイル " + path + " を作成できません"; }
QByteArray WriteErrorMessage() { return QByteArrayLiteral("ストリームへの書き込みエラー"); }

std::vector<QByteArray> LoadListFile(const QByteArray& path) {
    const ListFileContents file = ReadListFile(path);
    std::vector<QByteArray> items;
    items.reserve(file.lines.size());
    for (const ItemSpan& line : file.lines) items.emplace_back(file.text.constData() + line.offset, line.size);
    return items;
}

ListFileContents ReadListFile(const QByteArray& path) {
    // O_NONBLOCK: opening a FIFO without a writer must not hang the window.
    FileHandle file(::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!file.valid()) raise(OpenErrorMessage(path));
    struct stat st {};
    if (::fstat(file.get(), &st) != 0 || S_ISDIR(st.st_mode)) raise(OpenErrorMessage(path));
    // Readers share the file; a writer holds it alone.
    if (::flock(file.get(), LOCK_SH | LOCK_NB) != 0) raise(OpenErrorMessage(path));
    const int flags = ::fcntl(file.get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) raise(OpenErrorMessage(path));

    QByteArray text;
    try {
        // A regular file comes in one read (plus the one that sees its end). Reading stops
        // at a zero byte too, since nothing after it counts: /dev/zero ends at once.
        qsizetype used = 0;
        text.resize(S_ISREG(st.st_mode) && st.st_size > 0 ? static_cast<qsizetype>(st.st_size) + 1 : 65536);
        for (;;) {
            if (used == text.size()) text.resize(text.size() * 2);
            const ssize_t n = ::read(file.get(), text.data() + used, static_cast<std::size_t>(text.size() - used));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) raise(OpenErrorMessage(path));
            if (n == 0) break;
            const void* zero = std::memchr(text.constData() + used, 0, static_cast<std::size_t>(n));
            if (zero != nullptr) {
                used = static_cast<const char*>(zero) - text.constData();  // nothing after it counts
                break;
            }
            used += n;
        }
        text.truncate(used);
        std::vector<ItemSpan> lines = ListLines(text);
        return {std::move(text), std::move(lines)};
    } catch (const std::bad_alloc&) {
        raise(OpenErrorMessage(path));
    }
}

void SaveListText(const QByteArray& path, const QByteArray& text) {
    if (path.isEmpty() || path.endsWith('/')) raise(CreateErrorMessage(path));
    QByteArray target = path;
    if (!resolveLinks(target)) raise(CreateErrorMessage(path));

    struct stat old {};
    FileHandle oldFile;
    if (::lstat(target.constData(), &old) == 0) {
        // Opening for writing is the permission test (and fails for a folder); the lock keeps
        // out another program that has the file open through its own lock.
        oldFile = FileHandle(::open(target.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
        if (!oldFile.valid()) raise(CreateErrorMessage(path));
        if (::fstat(oldFile.get(), &old) != 0) raise(CreateErrorMessage(path));
        if (!S_ISREG(old.st_mode)) return writeInPlace(oldFile, path, text);
        // A read-only file stays read-only for the superuser too, as it does on the desktop.
        if ((old.st_mode & 0222) == 0) raise(CreateErrorMessage(path));
        if (::flock(oldFile.get(), LOCK_EX | LOCK_NB) != 0) raise(CreateErrorMessage(path));
    } else if (errno != ENOENT) {
        raise(CreateErrorMessage(path));
    }

    const QByteArray folder = folderOf(target);
    QByteArray temporaryPath;
    FileHandle temporary = createTemporary(folder, temporaryPath);
    if (!temporary.valid()) raise(CreateErrorMessage(path));
    TemporaryName guard(temporaryPath);
    ::flock(temporary.get(), LOCK_EX | LOCK_NB);  // new and unseen: cannot be held by anyone
    if (oldFile.valid()) {
        // The replacement keeps the old file's owner (where we may give it) and permissions.
        if (::fchown(temporary.get(), old.st_uid, old.st_gid) != 0) { /* not ours to give */ }
        if (::fchmod(temporary.get(), old.st_mode & 07777) != 0) raise(CreateErrorMessage(path));
    }
    if (!writeAll(temporary.get(), text) || ::fsync(temporary.get()) != 0) raise(WriteErrorMessage());
    if (::rename(temporaryPath.constData(), target.constData()) != 0) raise(CreateErrorMessage(path));
    guard.release();
    // The rename itself reaches the disk with the folder.
    FileHandle folderHandle(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderHandle.valid()) ::fsync(folderHandle.get());
}

QByteArray AutoSavePathFor(QByteArrayView executablePath) {
    QByteArray path(executablePath.data(), executablePath.size());
    const qsizetype slash = path.lastIndexOf('/');
    const qsizetype dot = path.lastIndexOf('.');
    if (dot > slash) path.truncate(dot);
    return path + ".INI";
}

QByteArray AutoSavePath() {
    QByteArray buffer(4096, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), static_cast<std::size_t>(buffer.size()));
        if (n < 0) return AutoSavePathFor({});
        if (n < buffer.size()) {
            buffer.truncate(n);
            return AutoSavePathFor(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

FileKind KindOfFile(const QByteArray& path) {
    struct stat st {};
    if (::stat(path.constData(), &st) == 0) return S_ISREG(st.st_mode) ? FileKind::Regular : FileKind::Other;
    return errno == ENOENT || errno == ENOTDIR ? FileKind::Missing : FileKind::Unreachable;
}

void SetListFileWriter(ListFileWriter w) { writer() = std::move(w); }

// List files: the plain-text form of a playlist (one item per line), their reading and
// writing, and the path of the auto-save playlist file. Items and paths are byte strings,
// kept exactly as they came.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <vector>

// Where one item lies in a text.
struct ItemSpan {
    qsizetype offset = 0;
    qsizetype size = 0;
};

// The items of a list file's text, as places in it: the text ends at its first zero byte;
// CR LF, a lone CR and a lone LF each end a line (LF CR is two line ends); a line end at the
// very end adds no empty item; a byte-order mark stays part of the first item.
std::vector<ItemSpan> ListLines(QByteArrayView text);
// The same items as byte strings of their own.
std::vector<QByteArray> ParseListText(QByteArrayView text);

// Every item followed by CR LF; no items give no bytes. Items: any range of byte strings.
template <class Items>
QByteArray ListTextOf(const Items& items) {
    qsizetype size = 0;
    for (const auto& item : items) size += item.size() + 2;
    QByteArray text;
    text.reserve(size);
    for (const auto& item : items) {
        text.append(item);
        text.append("\r\n", 2);
    }
    return text;
}
inline QByteArray ListText(const std::vector<QByteArray>& items) { return ListTextOf(items); }

// A list file as it was read: its text (up to the first zero byte) and its items' places in
// it. Keeping the items inside the text they came in spares a million small allocations.
struct ListFileContents {
    QByteArray text;
    std::vector<ItemSpan> lines;
};

// The messages of the three failures, with the path as it was given.
QByteArray OpenErrorMessage(const QByteArray& path);    // "ファイル %s は開けません"
QByteArray CreateErrorMessage(const QByteArray& path);  // "ファイル %s を作成できません"
QByteArray WriteErrorMessage();                         // "ストリームへの書き込みエラー"

// Reads a whole list file under a shared lock. A file that another program holds with an
// exclusive lock (one being written), a folder or a file that cannot be read raises the
// open error.
ListFileContents ReadListFile(const QByteArray& path);
std::vector<QByteArray> LoadListFile(const QByteArray& path);  // the same, as byte strings

// Writes the items so that a failure never costs the stored list: the text goes to a
// temporary file beside the target, is flushed to disk and then renamed over the target
// (the target of a symbolic link, keeping its permissions). A target that may not be
// written, is locked by another program or is a folder, and a folder that may not be
// written raise the create error; a failed write (disk full) raises the write error and
// leaves the old file as it was, with no temporary file behind.
void SaveListText(const QByteArray& path, const QByteArray& text);
inline void SaveListFile(const QByteArray& path, const std::vector<QByteArray>& items) {
    SaveListText(path, ListText(items));
}

// The executable's path with its extension replaced by ".INI": the extension runs from the
// last dot after the last '/'; without one, ".INI" is appended.
QByteArray AutoSavePathFor(QByteArrayView executablePath);
// The auto-save playlist file of this process (from /proc/self/exe).
QByteArray AutoSavePath();

// What is at a path, following symbolic links. Unreachable: something may be there, but it
// cannot be looked at (a folder on the way may not be searched).
enum class FileKind { Missing, Regular, Other, Unreachable };
FileKind KindOfFile(const QByteArray& path);

// Tests put a failing writer in place of write(2) to show what a full disk does; an empty
// function puts write(2) back.
using ListFileWriter = std::function<ssize_t(int fd, const char* data, std::size_t size)>;
void SetListFileWriter(ListFileWriter writer);

// Why a clip failed to open, the message the user sees for it, and the look at the file
// that happens before the decoder is given it.
#pragma once

#include <QByteArray>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

enum class OpenFailure {
    NotFound,       // nothing at the path
    Folder,         // a folder, not a file
    NotAFile,       // a FIFO, device or socket: reading it could block for ever
    Empty,          // zero bytes
    ReadError,      // there, but it cannot be read
    Damaged,        // starts like a movie container but the decoder cannot make sense of it
    UnknownFormat,  // not a format we can play
    NothingToPlay,  // a container with neither video nor audio in it
    NoOutput,       // no video or audio output could be opened
    TimedOut,       // opening did not finish within the bound
    NoPlayer,       // the decoder itself could not be started
    Unknown,
};

// The Japanese text of EMCIDeviceError for the failure.
std::string OpenFailureMessage(OpenFailure failure);

// What a look at the file found: a failure, or the first bytes of a regular file.
struct MediaFileCheck {
    std::optional<OpenFailure> failure;
    QByteArray header;  // up to 16 bytes from the start of the file
};

// Looks at the path without ever blocking on it (FIFOs are never opened for reading).
MediaFileCheck CheckMediaFile(const QByteArray& path);

// Runs the check on a helper thread and gives up at the deadline: a stat or read on a
// dead network mount can block in the kernel, and the GUI thread must not block with it.
// A check that is still stuck at the deadline is left to finish on its own.
MediaFileCheck CheckMediaFileWithin(const QByteArray& path, std::chrono::steady_clock::time_point deadline,
                                    const std::function<MediaFileCheck(const QByteArray&)>& check = CheckMediaFile);

// True when the bytes start like a container we know (AVI, WAV, MPEG, MP4/MOV, Matroska,
// Ogg, ASF, FLV): a decoder that then rejects the file found it damaged or cut short.
bool LooksLikeMediaContainer(const QByteArray& header);

// The two ways the program speaks to the user: the error message box and the plain message dialog.
#pragma once

#include <QString>

#include <functional>
#include <string>

// The error's text as the box shows it: a "." is added when the message is not empty and its
// last byte sorts after "." (so a message ending in a multi-byte character gets one too).
QString ErrorBoxText(const std::string& message);

// Critical icon, one OK button, caption = the application's title.
void ShowErrorBox(const std::string& message);

// No icon, one "OK" button, centred on the screen, caption = the application's title.
void ShowMessage(const QString& text);

// Tests see the boxes here instead of on the screen; an empty function shows them again.
enum class MessageKind { Error, Plain };
using MessageSink = std::function<void(MessageKind kind, const QString& caption, const QString& text)>;
void SetMessageSink(MessageSink sink);

// Readable text for bytes that should be UTF-8: invalid bytes stay visible as \xNN.
QString DisplayText(const std::string& bytes);

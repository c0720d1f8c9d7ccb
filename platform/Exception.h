// The program's error class: what handlers raise and the event loop shows in the error message box.
#pragma once

#include <exception>
#include <string>
#include <utility>

// Message bytes are UTF-8 text, except for file paths, which are kept as the
// bytes the user gave them (see the playlist).
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }

private:
    std::string message_;
};

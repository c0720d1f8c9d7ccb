// Hands a target (a URL, a "mailto:" address) to the desktop, as the shell's open verb does.
#pragma once

#include <functional>

// The arguments follow the shell's own call; only file (the target) and show are used here.
void ShellExecuteA(void* owner, const char* operation, const char* file, const char* parameters,
                   const char* directory, int show);

// Tests install a recorder; an empty function restores QDesktopServices.
using ShellHandler = std::function<void(const char* file, int show)>;
void SetShellHandler(ShellHandler handler);

// A scripted display for tests: its modes, failures at each step, and a record of every call.
#pragma once

#include "DirectDraw.h"

#include <memory>
#include <string>
#include <vector>

struct FakeMode {
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t bitsPerPixel;
};

// What the fake display does and what was done to it; shared by every object it creates.
struct FakeDisplay {
    std::vector<FakeMode> modes;
    HRESULT createResult = DD_OK;
    HRESULT enumResult = DD_OK;
    HRESULT cooperativeResult = DD_OK;
    HRESULT displayModeResult = DD_OK;

    std::vector<std::string> calls;      // "create", "enum", "cooperative 17", "mode 800x600x32", "release"
    std::vector<FakeMode> switches;      // every successful SetDisplayMode
    HWND cooperativeWindow = nullptr;
    int liveObjects = 0;
    bool switched = false;               // a switch not yet put back by Release

    // Installs this display as the factory of DirectDrawCreate.
    void install();
    static void uninstall();
};

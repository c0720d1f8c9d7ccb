// The display layer: DirectDraw's shape (create, enumerate modes, exclusive full screen,
// mode switch, release) over XRandR, and a factory that tests replace with a fake.
#pragma once

#include <cstdint>
#include <functional>

class QWidget;

using HRESULT = std::int32_t;
using HWND = QWidget*;  // the cooperative window

constexpr HRESULT DD_OK = 0;
constexpr HRESULT DDERR_GENERIC = static_cast<HRESULT>(0x80004005);
constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057);
constexpr HRESULT DDERR_NODIRECTDRAWHW = static_cast<HRESULT>(0x887600FF);
constexpr HRESULT DDERR_INVALIDMODE = static_cast<HRESULT>(0x88760078);
constexpr HRESULT DDERR_UNSUPPORTEDMODE = static_cast<HRESULT>(0x8876024E);
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = static_cast<HRESULT>(0x887600E1);
constexpr HRESULT DDERR_EXCLUSIVEMODEALREADYSET = static_cast<HRESULT>(0x88760245);

constexpr HRESULT DDENUMRET_CANCEL = 0;
constexpr HRESULT DDENUMRET_OK = 1;

constexpr std::uint32_t DDSCL_FULLSCREEN = 0x00000001;
constexpr std::uint32_t DDSCL_NORMAL = 0x00000008;
constexpr std::uint32_t DDSCL_EXCLUSIVE = 0x00000010;

// Which fields of a DDSURFACEDESC are valid.
constexpr std::uint32_t DDSD_HEIGHT = 0x00000002;
constexpr std::uint32_t DDSD_WIDTH = 0x00000004;
constexpr std::uint32_t DDSD_PITCH = 0x00000008;
constexpr std::uint32_t DDSD_PIXELFORMAT = 0x00001000;
constexpr std::uint32_t DDSD_REFRESHRATE = 0x00040000;

constexpr std::uint32_t DDPF_RGB = 0x00000040;

struct DDPIXELFORMAT {
    std::uint32_t dwSize = sizeof(DDPIXELFORMAT);
    std::uint32_t dwFlags = 0;
    std::uint32_t dwFourCC = 0;
    std::uint32_t dwRGBBitCount = 0;
    std::uint32_t dwRBitMask = 0;
    std::uint32_t dwGBitMask = 0;
    std::uint32_t dwBBitMask = 0;
    std::uint32_t dwRGBAlphaBitMask = 0;
};

struct DDSURFACEDESC {
    std::uint32_t dwSize = sizeof(DDSURFACEDESC);
    std::uint32_t dwFlags = 0;
    std::uint32_t dwHeight = 0;
    std::uint32_t dwWidth = 0;
    std::int32_t lPitch = 0;
    std::uint32_t dwBackBufferCount = 0;
    std::uint32_t dwRefreshRate = 0;
    DDPIXELFORMAT ddpfPixelFormat;
};

using LPDDENUMMODESCALLBACK = HRESULT (*)(DDSURFACEDESC* description, void* context);

// A reference-counted display object. Release() of the last reference deletes it and,
// when it switched the display, puts back the configuration that was there before.
//  - EnumDisplayModes calls back once per mode (a filter's DDSD_WIDTH/HEIGHT/PIXELFORMAT fields
//    narrow the list); DDENUMRET_CANCEL stops it, and the call still returns DD_OK.
//  - SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE) makes the window the
//    exclusive one (one object at a time per process, else DDERR_EXCLUSIVEMODEALREADYSET);
//    DDSCL_NORMAL gives exclusive control back.
//  - SetDisplayMode needs exclusive control (else DDERR_NOEXCLUSIVEMODE) and an offered mode
//    (else DDERR_INVALIDMODE, or DDERR_UNSUPPORTEDMODE for another bit depth). Afterwards the
//    exclusive window covers the whole display, above every other window, even when the mode is
//    smaller than its minimum size; Release takes it out of that state again.
//  - The mode that was there before the first switch comes back on Release, and also when the
//    process ends without one: a normal exit, a fatal signal, SIGKILL or a crash.
class IDirectDraw {
public:
    virtual HRESULT EnumDisplayModes(std::uint32_t flags, DDSURFACEDESC* filter, void* context,
                                     LPDDENUMMODESCALLBACK callback) = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, std::uint32_t flags) = 0;
    virtual HRESULT SetDisplayMode(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel) = 0;
    virtual std::uint32_t Release() = 0;

protected:
    virtual ~IDirectDraw() = default;
};

// Creates the object of the default display (driverGuid and outer must be null).
HRESULT DirectDrawCreate(void* driverGuid, IDirectDraw** directDraw, void* outer);

// Tests install a fake here; an empty function restores the XRandR backend.
using DirectDrawFactory = std::function<HRESULT(IDirectDraw** directDraw)>;
void SetDirectDrawFactory(DirectDrawFactory factory);

// True when an X display can be reached; the process entry asks before Qt touches it.
bool DisplayServerReachable();

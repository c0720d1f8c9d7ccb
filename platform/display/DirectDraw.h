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

constexpr HRESULT DDENUMRET_CANCEL = 0;
constexpr HRESULT DDENUMRET_OK = 1;

constexpr std::uint32_t DDSCL_FULLSCREEN = 0x00000001;
constexpr std::uint32_t DDSCL_EXCLUSIVE = 0x00000010;

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

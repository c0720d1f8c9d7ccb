#include "FakeDirectDraw.h"

#include <QPointer>
#include <QWidget>

namespace {
class FakeDirectDraw : public IDirectDraw {
public:
    explicit FakeDirectDraw(FakeDisplay& display) : display_(display) { ++display_.liveObjects; }

    HRESULT EnumDisplayModes(std::uint32_t, DDSURFACEDESC*, void* context, LPDDENUMMODESCALLBACK callback) override {
        display_.calls.push_back("enum");
        if (display_.enumResult != DD_OK) return display_.enumResult;
        for (const FakeMode& mode : display_.modes) {
            DDSURFACEDESC description;
            description.dwWidth = mode.width;
            description.dwHeight = mode.height;
            description.ddpfPixelFormat.dwRGBBitCount = mode.bitsPerPixel;
            if (callback(&description, context) == DDENUMRET_CANCEL) break;
        }
        return DD_OK;
    }

    HRESULT SetCooperativeLevel(HWND window, std::uint32_t flags) override {
        display_.calls.push_back("cooperative " + std::to_string(flags));
        if (display_.cooperativeResult != DD_OK) return display_.cooperativeResult;
        window_ = window;
        display_.cooperativeWindow = window;
        return DD_OK;
    }

    HRESULT SetDisplayMode(std::uint32_t width, std::uint32_t height, std::uint32_t bpp) override {
        display_.calls.push_back("mode " + std::to_string(width) + "x" + std::to_string(height) + "x" +
                                 std::to_string(bpp));
        if (display_.displayModeResult != DD_OK) return display_.displayModeResult;
        display_.switches.push_back({width, height, bpp});
        display_.switched = true;
        // Like the real layer: the cooperative window covers the new mode, even one smaller than
        // its minimum size, which is lifted until the release.
        if (window_ != nullptr) {
            if (!minimumLifted_) {
                savedMinimum_ = window_->minimumSize();
                minimumLifted_ = true;
            }
            window_->setMinimumSize(0, 0);
            window_->setGeometry(0, 0, static_cast<int>(width), static_cast<int>(height));
        }
        return DD_OK;
    }

    std::uint32_t Release() override {
        display_.calls.push_back("release");
        if (minimumLifted_ && window_ != nullptr) window_->setMinimumSize(savedMinimum_);
        display_.switched = false;
        --display_.liveObjects;
        delete this;
        return 0;
    }

private:
    FakeDisplay& display_;
    QPointer<QWidget> window_;
    bool minimumLifted_ = false;
    QSize savedMinimum_;
};
}  // namespace

void FakeDisplay::install() {
    SetDirectDrawFactory([this](IDirectDraw** out) {
        calls.push_back("create");
        if (createResult != DD_OK) return createResult;
        *out = new FakeDirectDraw(*this);
        return DD_OK;
    });
}

void FakeDisplay::uninstall() { SetDirectDrawFactory({}); }

#include "XRandRDirectDraw.h"

HRESULT CreateXRandRDirectDraw(IDirectDraw** directDraw) {
    *directDraw = nullptr;
    return DDERR_NODIRECTDRAWHW;
}

// The XRandR backend of the display layer.
#pragma once

#include "DirectDraw.h"

HRESULT CreateXRandRDirectDraw(IDirectDraw** directDraw);

#include "ModeTable.h"

std::int16_t ModeWidth[kModeTableSize] = {};
std::int16_t ModeHeight[kModeTableSize] = {};
std::int16_t ModeBitCount[kModeTableSize] = {};
std::int16_t ModeCount = 0;

void ClearModeTable() {
    ModeCount = 0;
    for (int i = 0; i < kModeTableSize; ++i) {
        ModeWidth[i] = 0;
        ModeHeight[i] = 0;
        ModeBitCount[i] = 0;
    }
}

HRESULT EnumModesCallback(DDSURFACEDESC* description, void*) {
    if (ModeCount < 0 || ModeCount >= kModeTableSize) return DDENUMRET_CANCEL;
    ModeWidth[ModeCount] = static_cast<std::int16_t>(description->dwWidth & 0xFFFFu);
    ModeHeight[ModeCount] = static_cast<std::int16_t>(description->dwHeight & 0xFFFFu);
    ModeBitCount[ModeCount] = static_cast<std::int16_t>(description->ddpfPixelFormat.dwRGBBitCount & 0xFFFFu);
    ++ModeCount;
    return ModeCount < kModeTableSize ? DDENUMRET_OK : DDENUMRET_CANCEL;
}

QString ModeLineText(int entry) {
    return QStringLiteral("%1x%2(%3)").arg(ModeWidth[entry]).arg(ModeHeight[entry]).arg(ModeBitCount[entry]);
}

int ModeEntryOfLine(int lineCount, int line) { return lineCount - 1 - line; }

// The display-mode table: the modes the display reported at start-up, in its order.
#pragma once

#include "DirectDraw.h"

#include <QString>

#include <cstdint>

inline constexpr int kModeTableSize = 256;

extern std::int16_t ModeWidth[kModeTableSize];
extern std::int16_t ModeHeight[kModeTableSize];
extern std::int16_t ModeBitCount[kModeTableSize];
extern std::int16_t ModeCount;

// Empties the table: every entry and the count to 0.
void ClearModeTable();

// Appends the reported mode (low 16 bits of each value). Once the table is full it asks the
// enumeration to stop instead, so no write reaches past the table.
HRESULT EnumModesCallback(DDSURFACEDESC* description, void* context);

// The list line of entry i, such as "1024x768(32)".
QString ModeLineText(int entry);

// The table entry shown by line `line` of a list of `lineCount` lines filled in reverse order.
int ModeEntryOfLine(int lineCount, int line);

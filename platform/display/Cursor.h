// The cursor's display count: the cursor is shown while the count is 0 or more and is
// blank over the program's windows while it is below 0.
#pragma once

// Lowers (show = false) or raises (show = true) the count by one and returns the new count.
int ShowCursor(bool show);

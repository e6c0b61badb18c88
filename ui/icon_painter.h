// The program's line icons, drawn at run time from vector shapes on a 32 x 32 grid so they
// are sharp at every screen scale: the toolbar's eleven (codes 0-10) and the tree's five
// (11-15). Needs GDI+ started (start-up does it). User-interface thread.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

namespace vonu {

enum IconCode {
    kIconAddLink,
    kIconResume,
    kIconStop,
    kIconStopAll,
    kIconDelete,
    kIconClearFinished,
    kIconOptions,
    kIconScheduler,
    kIconFindFiles,
    kIconRunQueue,
    kIconPauseQueue,
    kIconAllDownloads,
    kIconCategory,
    kIconIncomplete,
    kIconCompleted,
    kIconQueues,
    kIconCount
};

// Draws icon `code` into the square at (x, y) with side `side` pixels, anti-aliased, in the
// enabled or the greyed colours. `background` is the colour under the icon: badges and knobs
// are cut out of the lines beneath them with it. The graphics' state is restored after.
void PaintIcon(Gdiplus::Graphics& g, int code, float x, float y, float side, bool enabled,
               Gdiplus::Color background);

// A 32-bit bitmap of `side` x `side` pixels holding the icon drawn enabled on white, for an
// image list; the caller owns it (DeleteObject). Null if GDI+ cannot make it.
HBITMAP IconBitmapOnWhite(int code, int side);

}  // namespace vonu

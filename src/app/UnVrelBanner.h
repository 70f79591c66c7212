// The banner across the top of the main dialog: the bitmap stretched over
// the banner area with the title (message 1) drawn in the log's font.
#pragma once

#include <windows.h>

#include <memory>

#include "win/handles.h"

struct TRun;

// A memory device context holding the finished banner. The bitmap is
// selected into it for the surface's whole life and selected out again
// before both are deleted.
class TBannerSurface {
public:
    TBannerSurface(HDC compatibleWith, int width, int height);
    HDC dc() const { return dc_.get(); }

private:
    GdiObject<HBITMAP> bitmap_;
    MemoryDc dc_;
    SelectGuard selection_;
};

// Builds the banner for the dialog's control 100 (bitmap, title, font), with
// the title and font that the run's log gives.
std::unique_ptr<TBannerSurface> BuildBanner(const TRun& run, HWND dialog);

// Paints the dialog, then copies the invalid part of the banner onto control 100.
void PaintBanner(HWND dialog, const TBannerSurface* surface);

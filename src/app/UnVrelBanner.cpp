// Building and painting the banner.
#include "app/UnVrelBanner.h"

#include <cwchar>
#include <string>

#include "app/UnVrel.h"
#include "core/UnVrelFont.h"
#include "core/sysutilNumbers.h"
#include "res/resource.h"
#include "win/epSystemNames.h"

namespace {

const char* const kDefaultTitleFont = "Arial,14,0,B";

void DrawStretchedBitmap(HINSTANCE instance, HDC target, HDC compatibleWith, int width,
                         int height) {
    GdiObject<HBITMAP> image(LoadBitmapA(instance, RES_BANNER_BITMAP));
    MemoryDc imageDc(CreateCompatibleDC(compatibleWith));
    if (!image || !imageDc) return;
    SelectGuard selected(imageDc.get(), image.get());
    BITMAP info{};
    if (GetObjectA(image.get(), sizeof(info), &info) == 0) return;
    // One pixel short on the right and at the bottom: that column and row
    // keep the button-face colour.
    StretchBlt(target, 0, 0, width - 1, height - 1, imageDc.get(), 0, 0, info.bmWidth,
               info.bmHeight, SRCCOPY);
}

LOGFONTW MakeTitleFont(const TRun& run, HWND dialog, const TTitleFont& title) {
    LOGFONTW font{};
    {
        WindowDc screen(dialog, WindowDc::Client);
        font.lfHeight = -MulDiv(title.Size, GetDeviceCaps(screen.get(), LOGPIXELSY), 72);
    }
    font.lfWeight = (title.Style & kFontBold) ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (title.Style & kFontItalic) ? 1 : 0;
    font.lfUnderline = (title.Style & kFontUnderline) ? 1 : 0;
    font.lfStrikeOut = (title.Style & kFontStrikeOut) ? 1 : 0;
    font.lfCharSet = static_cast<BYTE>(StrToIntDef(ReadLogString(run, "Display", "Charset", ""), 1));
    // The face field holds 31 characters and a NUL; a longer name is cut
    // there, counted in characters so that a UTF-8 name is never split.
    const std::wstring face = ToSystemName(title.Face).substr(0, LF_FACESIZE - 1);
    std::wmemcpy(font.lfFaceName, face.data(), face.size());
    font.lfFaceName[face.size()] = L'\0';
    return font;
}

void DrawTitle(const TRun& run, HWND dialog, HDC target) {
    const TTitleFont title =
        ParseTitleFont(ReadLogString(run, "Display", "DialogTitleFont", kDefaultTitleFont));
    const LOGFONTW logical = MakeTitleFont(run, dialog, title);
    GdiObject<HFONT> font(CreateFontIndirectW(&logical));
    SelectGuard selected(target, font.get());
    SetTextColor(target, title.Colour);
    SetBkMode(target, TRANSPARENT);
    const std::wstring text = ToSystemName(LoadMessageText(run, IDS_BANNER_TITLE));
    TextOutW(target, 12, 10, text.c_str(), static_cast<int>(text.size()));
}

}  // namespace

TBannerSurface::TBannerSurface(HDC compatibleWith, int width, int height)
    : bitmap_(CreateCompatibleBitmap(compatibleWith, width, height)),
      dc_(CreateCompatibleDC(compatibleWith)),
      selection_(dc_.get(), bitmap_.get()) {}

std::unique_ptr<TBannerSurface> BuildBanner(const TRun& run, HWND dialog) {
    const HWND banner = GetDlgItem(dialog, IDC_BANNER);
    RECT area{};
    GetClientRect(banner, &area);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;

    WindowDc windowDc(banner, WindowDc::Whole);
    auto surface = std::make_unique<TBannerSurface>(windowDc.get(), width, height);
    if (!surface->dc()) return nullptr;
    FillRect(surface->dc(), &area, GetSysColorBrush(COLOR_BTNFACE));
    DrawStretchedBitmap(run.Instance, surface->dc(), windowDc.get(), width, height);
    DrawTitle(run, dialog, surface->dc());
    return surface;
}

void PaintBanner(HWND dialog, const TBannerSurface* surface) {
    DefWindowProcA(dialog, WM_PAINT, 0, 0);
    const HWND banner = GetDlgItem(dialog, IDC_BANNER);
    PaintDc paint(banner);
    if (!paint || surface == nullptr) return;
    const RECT& p = paint.area();
    BitBlt(paint.get(), p.left, p.top, p.right - p.left, p.bottom - p.top, surface->dc(), p.left,
           p.top, SRCCOPY);
}

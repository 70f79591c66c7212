// The program's resources as the user meets them: the default message texts
// byte for byte (code page 1252) and the two dialog templates.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"

namespace {

std::string LoadText(UINT id) {
    char buffer[1024] = {};
    const int n = LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof(buffer));
    return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

struct TControl {
    DWORD id, style;
    short x, y, cx, cy;
};

struct TTemplate {
    DWORD style = 0;
    short cx = 0, cy = 0;
    WORD pointSize = 0, weight = 0;
    BYTE charset = 0;
    std::wstring face;
    std::vector<TControl> controls;
};

const WORD* SkipSzOrOrd(const WORD* p) {
    if (*p == 0xFFFF) return p + 2;
    while (*p != 0) ++p;
    return p + 1;
}

const WORD* AlignDword(const WORD* p) {
    return reinterpret_cast<const WORD*>((reinterpret_cast<ULONG_PTR>(p) + 3) & ~ULONG_PTR(3));
}

// Reads an extended dialog template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX items).
TTemplate ReadTemplate(const char* name) {
    TTemplate t;
    const HRSRC found = FindResourceA(nullptr, name, MAKEINTRESOURCEA(5));  // RT_DIALOG
    if (found == nullptr) return t;
    const BYTE* base = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    WORD items = 0;
    std::memcpy(&items, base + 16, 2);
    std::memcpy(&t.style, base + 12, 4);
    std::memcpy(&t.cx, base + 22, 2);
    std::memcpy(&t.cy, base + 24, 2);
    const WORD* p = reinterpret_cast<const WORD*>(base + 26);
    p = SkipSzOrOrd(p);  // menu
    p = SkipSzOrOrd(p);  // class
    p = SkipSzOrOrd(p);  // caption
    t.pointSize = p[0];
    t.weight = p[1];
    t.charset = static_cast<BYTE>(p[2] >> 8);
    p += 3;
    const wchar_t* face = reinterpret_cast<const wchar_t*>(p);
    t.face = face;
    p += t.face.size() + 1;
    for (WORD i = 0; i < items; ++i) {
        p = AlignDword(p);
        const BYTE* item = reinterpret_cast<const BYTE*>(p);
        TControl c{};
        std::memcpy(&c.style, item + 8, 4);
        std::memcpy(&c.x, item + 12, 2);
        std::memcpy(&c.y, item + 14, 2);
        std::memcpy(&c.cx, item + 16, 2);
        std::memcpy(&c.cy, item + 18, 2);
        std::memcpy(&c.id, item + 20, 4);
        t.controls.push_back(c);
        p = reinterpret_cast<const WORD*>(item + 24);
        p = SkipSzOrOrd(p);  // class
        p = SkipSzOrOrd(p);  // text
        const WORD extra = *p++;
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
    }
    return t;
}

void ExpectControl(const TControl& c, DWORD id, DWORD style, short x, short y, short cx, short cy) {
    EXPECT_EQ(c.id, id);
    EXPECT_EQ(c.style, style) << "control " << id;
    EXPECT_EQ(c.x, x) << "control " << id;
    EXPECT_EQ(c.y, y) << "control " << id;
    EXPECT_EQ(c.cx, cx) << "control " << id;
    EXPECT_EQ(c.cy, cy) << "control " << id;
}

}  // namespace

TEST(Resources, DefaultMessageTextsAreTheItalianOnesInCodePage1252) {
    EXPECT_EQ(LoadText(IDS_BANNER_TITLE), "Disinstallazione");
    EXPECT_EQ(LoadText(IDS_LOG_NOT_FOUND), "Log file di installazione %s non reperibile!");
    EXPECT_EQ(LoadText(IDS_CONFIRM_REMOVE),
              "Si \xE8 certi di voler rimuovere completamente l'applicazione selezionata e tutti "
              "i suoi componenti?");
    EXPECT_EQ(LoadText(IDS_DONE), "Disinstallazione terminata.");
    EXPECT_EQ(LoadText(IDS_REMOVE_INI), "Rimozioni dei dati di inizializzazione...");
    // Two paragraphs: "||||" becomes two line breaks when the text is shown.
    EXPECT_EQ(LoadText(IDS_SHARED_TEXT),
              "Il sistema indica che il seguente file condiviso non \xE8 pi\xF9 utilizzato da "
              "alcun programma.  Se qualche programma sta ancora utilizzando questo file ed esso "
              "viene rimosso, potrebbe cessare di funzionare.  Si \xE8 certi di voler rimuovere "
              "il file condivso?||||Lasciare questo file non dannegger\xE0 il sistema.  Se "
              "non si \xE8 certi su cosa fare, \xE8 consigliabile scegliere di non rimuovere il "
              "componente condiviso.");
    EXPECT_EQ(LoadText(IDS_YES), "S\xEC");
    EXPECT_EQ(LoadText(IDS_YES_ALL), "S\xEC a tutti");
    EXPECT_EQ(LoadText(IDS_NO_ALL), "No a tutti");
    EXPECT_EQ(LoadText(IDS_CLOSE), "Chiudi");
    EXPECT_EQ(LoadText(IDS_NOT_REMOVED), "elementi non rimossi: %d");
    EXPECT_EQ(LoadText(IDS_RESTART_NEEDED),
              "Alcuni file verranno rimossi al prossimo riavvio del computer.");
    for (UINT id = IDS_FIRST; id <= IDS_LAST; ++id) EXPECT_FALSE(LoadText(id).empty()) << id;
    EXPECT_TRUE(LoadText(IDS_LAST + 1).empty());
}

TEST(Resources, MainDialogTemplate) {
    const TTemplate t = ReadTemplate(RES_DLG_UNINSTALL);
    EXPECT_EQ(t.style, 0x80C00841u);
    EXPECT_EQ(t.cx, 320);
    EXPECT_EQ(t.cy, 220);
    EXPECT_EQ(t.face, L"MS Sans Serif");
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.weight, 400);
    EXPECT_EQ(t.charset, 1);
    ASSERT_EQ(t.controls.size(), 7u);
    ExpectControl(t.controls[0], IDC_BANNER, 0x50000000, 0, 0, 321, 40);
    ExpectControl(t.controls[1], IDC_ETCH_TOP, 0x50000012, -2, 39, 323, 1);
    ExpectControl(t.controls[2], IDC_ETCH_BOTTOM, 0x50000012, -2, 192, 323, 1);
    ExpectControl(t.controls[3], IDC_PROGRAM_ICON, 0x50000003, 11, 55, 23, 23);
    ExpectControl(t.controls[4], IDC_STATUS, 0x50A00101, 44, 48, 269, 116);
    ExpectControl(t.controls[5], IDC_PROGRESS, 0x50000000, 44, 173, 269, 10);
    ExpectControl(t.controls[6], IDC_CLOSE, 0x50010300, 263, 200, 50, 14);
}

TEST(Resources, SharedFileDialogTemplate) {
    const TTemplate t = ReadTemplate(RES_DLG_DELSHARED);
    EXPECT_EQ(t.style, 0x80C00841u);
    EXPECT_EQ(t.cx, 266);
    EXPECT_EQ(t.cy, 146);
    EXPECT_EQ(t.face, L"MS Sans Serif");
    ASSERT_EQ(t.controls.size(), 9u);
    ExpectControl(t.controls[0], IDC_SHARED_TEXT, 0x50020000, 7, 9, 252, 59);
    ExpectControl(t.controls[1], IDC_SHARED_NAME_LABEL, 0x50020000, 7, 80, 50, 8);
    ExpectControl(t.controls[2], IDC_SHARED_DIR_LABEL, 0x50020000, 7, 98, 50, 8);
    ExpectControl(t.controls[3], IDC_SHARED_YES, 0x50010001, 25, 123, 50, 14);
    ExpectControl(t.controls[4], IDC_SHARED_YES_ALL, 0x50010000, 80, 123, 50, 14);
    ExpectControl(t.controls[5], IDC_SHARED_NO, 0x50010000, 135, 123, 50, 14);
    ExpectControl(t.controls[6], IDC_SHARED_NO_ALL, 0x50010000, 190, 123, 50, 14);
    ExpectControl(t.controls[7], IDC_SHARED_NAME, 0x50801880, 64, 77, 192, 14);
    ExpectControl(t.controls[8], IDC_SHARED_DIR, 0x50801880, 64, 95, 192, 14);
}

TEST(Resources, BannerBitmapIs480By64With256Colours) {
    const HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), RES_BANNER_BITMAP);
    ASSERT_NE(bitmap, nullptr);
    const HRSRC found = FindResourceA(nullptr, RES_BANNER_BITMAP, MAKEINTRESOURCEA(2));  // RT_BITMAP
    ASSERT_NE(found, nullptr);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(nullptr, found)));
    EXPECT_EQ(header->biWidth, 480);
    EXPECT_EQ(header->biHeight, 64);
    EXPECT_EQ(header->biBitCount, 8);
    DeleteObject(bitmap);
}

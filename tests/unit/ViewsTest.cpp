// The two views of 64-bit Windows: which view each log line is in, and the
// path through which each build reaches the system folder in a view.
#include "core/epPeImage.h"
#include "core/epRegPath.h"
#include "core/epSystemFolder.h"
#include "core/epView.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

namespace {

struct LineViewCase {
    const char* optionValue;  // [Options] View=; nullptr for a log without it
    const char* path;
    TRegistryRoot root;
    TView view;
};

TEST(Views, EachLineIsInItsRootsViewElseTheLogs) {
    const LineViewCase cases[] = {
        {nullptr, "HKLM\\SOFTWARE\\T\\V", TRegistryRoot::LocalMachine, TView::Bits32},
        {"32", "HKLM\\SOFTWARE\\T\\V", TRegistryRoot::LocalMachine, TView::Bits32},
        {"64", "HKLM\\SOFTWARE\\T\\V", TRegistryRoot::LocalMachine, TView::Bits64},
        {"x64", "HKLM\\SOFTWARE\\T\\V", TRegistryRoot::LocalMachine, TView::Bits32},
        {" 64", "HKCU\\Software\\T\\V", TRegistryRoot::CurrentUser, TView::Bits32},
        {nullptr, "HKLM64\\SOFTWARE\\T\\V", TRegistryRoot::LocalMachine, TView::Bits64},
        {"64", "HKLM32\\SOFTWARE\\T\\V", TRegistryRoot::LocalMachine, TView::Bits32},
        {"32", "HKCU64\\Software\\T\\V", TRegistryRoot::CurrentUser, TView::Bits64},
        {"64", "HKCR32\\.t\\", TRegistryRoot::ClassesRoot, TView::Bits32},
        {nullptr, "HKU\\.DEFAULT\\T\\V", TRegistryRoot::Users, TView::Bits32},
    };
    for (const LineViewCase& c : cases) {
        const TRegistryPath parts = ParseRegistryPath(c.path);
        const TView log = LogViewOf(c.optionValue != nullptr ? c.optionValue : "");
        EXPECT_EQ(parts.Root, c.root) << c.path;
        EXPECT_EQ(EntryView(parts.View, log), c.view) << c.path << " in " << (c.optionValue ? c.optionValue : "-");
    }
    // No view for HKU, none in another spelling.
    for (const char* other : {"HKU64\\S\\V", "hklm64\\S\\V", "HKLM_64\\S\\V", "HKLM6\\S\\V",
                              "HKLM640\\S\\V", "HKEY_LOCAL_MACHINE64\\S\\V"})
        EXPECT_EQ(ParseRegistryPath(other).Root, TRegistryRoot::None) << other;
}

struct FolderCase {
    const char* path;
    TView view;
    const char* program64;   // what the x86_64 build uses
    const char* program32;   // what the i686 build uses on 64-bit Windows
    const char* windows32;   // what the i686 build uses on 32-bit Windows
};

std::string Shown(const std::optional<std::string>& path) { return path ? *path : "(nothing)"; }

TEST(Views, TheSystemFolderInEachViewForEachBuild) {
    const FolderCase cases[] = {
        {"C:\\Windows\\System32\\t.dll", TView::Bits32, "C:\\Windows\\SysWOW64\\t.dll",
         "C:\\Windows\\System32\\t.dll", "C:\\Windows\\System32\\t.dll"},
        {"C:\\Windows\\System32\\t.dll", TView::Bits64, "C:\\Windows\\System32\\t.dll",
         "C:\\Windows\\Sysnative\\t.dll", "(nothing)"},
        {"c:\\windows\\system32\\Sub\\t*.dll", TView::Bits32, "c:\\windows\\SysWOW64\\Sub\\t*.dll",
         "c:\\windows\\system32\\Sub\\t*.dll", "c:\\windows\\system32\\Sub\\t*.dll"},
        {"C:\\Windows\\System32", TView::Bits32, "C:\\Windows\\SysWOW64",
         "C:\\Windows\\System32", "C:\\Windows\\System32"},
        {"C:\\Windows\\Sysnative\\t.dll", TView::Bits32, "C:\\Windows\\System32\\t.dll",
         "C:\\Windows\\Sysnative\\t.dll", "C:\\Windows\\Sysnative\\t.dll"},
        {"C:\\Windows\\SysWOW64\\t.dll", TView::Bits64, "C:\\Windows\\SysWOW64\\t.dll",
         "C:\\Windows\\SysWOW64\\t.dll", "C:\\Windows\\SysWOW64\\t.dll"},
        // Neither the folders beside it nor files outside the Windows directory.
        {"C:\\Windows\\System32x\\t.dll", TView::Bits32, "C:\\Windows\\System32x\\t.dll",
         "C:\\Windows\\System32x\\t.dll", "C:\\Windows\\System32x\\t.dll"},
        {"D:\\Windows\\System32\\t.dll", TView::Bits64, "D:\\Windows\\System32\\t.dll",
         "D:\\Windows\\System32\\t.dll", "D:\\Windows\\System32\\t.dll"},
        {"C:\\Program Files\\T\\t.dll", TView::Bits32, "C:\\Program Files\\T\\t.dll",
         "C:\\Program Files\\T\\t.dll", "C:\\Program Files\\T\\t.dll"},
        // The folders the system leaves where they are, for either kind of program.
        {"C:\\Windows\\System32\\drivers\\etc\\hosts.t", TView::Bits32,
         "C:\\Windows\\System32\\drivers\\etc\\hosts.t", "C:\\Windows\\System32\\drivers\\etc\\hosts.t",
         "C:\\Windows\\System32\\drivers\\etc\\hosts.t"},
        {"C:\\Windows\\System32\\drivers\\t.sys", TView::Bits32, "C:\\Windows\\SysWOW64\\drivers\\t.sys",
         "C:\\Windows\\System32\\drivers\\t.sys", "C:\\Windows\\System32\\drivers\\t.sys"},
        {"C:\\Windows\\System32\\CatRoot2\\t.cat", TView::Bits32,
         "C:\\Windows\\System32\\CatRoot2\\t.cat", "C:\\Windows\\System32\\CatRoot2\\t.cat",
         "C:\\Windows\\System32\\CatRoot2\\t.cat"},
        {"C:\\Windows\\System32\\spool\\drivers\\t.dll", TView::Bits32,
         "C:\\Windows\\System32\\spool\\drivers\\t.dll", "C:\\Windows\\System32\\spool\\drivers\\t.dll",
         "C:\\Windows\\System32\\spool\\drivers\\t.dll"},
        {"C:\\Windows\\System32\\spooler\\t.dll", TView::Bits32, "C:\\Windows\\SysWOW64\\spooler\\t.dll",
         "C:\\Windows\\System32\\spooler\\t.dll", "C:\\Windows\\System32\\spooler\\t.dll"},
        {"C:\\Windows\\System32\\LogFiles\\t.log", TView::Bits64, "C:\\Windows\\System32\\LogFiles\\t.log",
         "C:\\Windows\\Sysnative\\LogFiles\\t.log", "(nothing)"},
        // Other spellings are taken in the normalized form.
        {"C:/Windows//System32/t.dll", TView::Bits32, "C:\\WINDOWS\\SysWOW64\\T.DLL",
         "C:/Windows//System32/t.dll", "C:/Windows//System32/t.dll"},
        {"C:\\Windows\\System32\\..\\System32\\t.dll", TView::Bits32, "C:\\WINDOWS\\SysWOW64\\T.DLL",
         "C:\\Windows\\System32\\..\\System32\\t.dll", "C:\\Windows\\System32\\..\\System32\\t.dll"},
        {"C:\\Windows\\System32\\..\\t.dll", TView::Bits64, "C:\\Windows\\System32\\..\\t.dll",
         "C:\\Windows\\System32\\..\\t.dll", "C:\\Windows\\System32\\..\\t.dll"},
        {"\\\\?\\C:\\Windows\\System32\\t.dll", TView::Bits32, "C:\\WINDOWS\\SysWOW64\\T.DLL",
         "\\\\?\\C:\\Windows\\System32\\t.dll", "\\\\?\\C:\\Windows\\System32\\t.dll"},
    };
    const TSystemLayout x64{"C:\\Windows", true, true};
    const TSystemLayout wow64{"C:\\Windows", true, false};
    const TSystemLayout x86{"C:\\Windows", false, false};
    for (const FolderCase& c : cases) {
        EXPECT_EQ(Shown(PathInView(c.path, c.view, x64)), c.program64) << c.path;
        EXPECT_EQ(Shown(PathInView(c.path, c.view, wow64)), c.program32) << c.path;
        EXPECT_EQ(Shown(PathInView(c.path, c.view, x86)), c.windows32) << c.path;
        // A program's own view changes nothing.
        EXPECT_EQ(Shown(PathInView(c.path, TView::Native, x64)), c.path);
    }
}

// What one build reaches by a path, a program of the other bitness (the
// other regsvr32) reaches by the path given here.
TEST(Views, TheOtherBitnessReachesTheSameFile) {
    const TSystemLayout x64{"C:\\Windows", true, true};
    const TSystemLayout wow64{"C:\\Windows", true, false};
    const TSystemLayout x86{"C:\\Windows", false, false};
    EXPECT_EQ(PathForOtherBitness("C:\\Windows\\System32\\t.dll", x64), "C:\\Windows\\Sysnative\\t.dll");
    EXPECT_EQ(PathForOtherBitness("C:\\Windows\\SysWOW64\\t.dll", x64), "C:\\Windows\\SysWOW64\\t.dll");
    EXPECT_EQ(PathForOtherBitness("C:\\Windows\\Sysnative\\t.dll", wow64), "C:\\Windows\\System32\\t.dll");
    EXPECT_EQ(PathForOtherBitness("C:\\Windows\\System32\\t.dll", wow64), "C:\\Windows\\SysWOW64\\t.dll");
    EXPECT_EQ(PathForOtherBitness("C:\\Windows\\System32\\spool\\t.dll", wow64),
              "C:\\Windows\\System32\\spool\\t.dll");
    EXPECT_EQ(PathForOtherBitness("C:\\App\\t.dll", wow64), "C:\\App\\t.dll");
    EXPECT_EQ(PathForOtherBitness("C:\\Windows\\System32\\t.dll", x86), "C:\\Windows\\System32\\t.dll");
}

// A DOS header pointing at offset, and a PE header naming the machine.
std::string DosHeader(std::uint32_t offset) {
    std::string bytes(kDosHeaderSize, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    for (int i = 0; i < 4; ++i) bytes[0x3C + i] = static_cast<char>((offset >> (8 * i)) & 0xFF);
    return bytes;
}

std::string PeHeader(std::uint16_t machine) {
    return std::string("PE\0\0", 4) + static_cast<char>(machine & 0xFF) + static_cast<char>(machine >> 8);
}

TEST(Views, ServersOfTheOtherBitnessGoToTheRegsvr32OfTheirOwn) {
    EXPECT_EQ(PeHeaderOffset(DosHeader(0x12345678)), std::optional<std::uint32_t>(0x12345678));
    EXPECT_EQ(PeHeaderOffset(DosHeader(0x80).substr(0, 63)), std::nullopt);
    EXPECT_EQ(PeHeaderOffset("ZM" + DosHeader(0x80).substr(2)), std::nullopt);
    EXPECT_EQ(PeMachine(PeHeader(0x014C)), TMachine::I386);
    EXPECT_EQ(PeMachine(PeHeader(0x8664)), TMachine::Amd64);
    EXPECT_EQ(PeMachine(PeHeader(0xAA64)), TMachine::Other);
    EXPECT_EQ(PeMachine(PeHeader(0x8664).substr(0, 5)), TMachine::Unknown);
    EXPECT_EQ(PeMachine(std::string_view("NE\0\0\x64\x86", 6)), TMachine::Unknown);

    const TSystemLayout x64{"C:\\Windows", true, true};
    const TSystemLayout wow64{"C:\\Windows", true, false};
    const TSystemLayout x86{"C:\\Windows", false, false};
    struct RouteCase {
        TMachine dll;
        const TSystemLayout* layout;
        const char* regsvr32;  // empty: loaded in-process
    } const cases[] = {
        {TMachine::Amd64, &x64, ""},
        {TMachine::I386, &x64, "C:\\Windows\\SysWOW64\\regsvr32.exe"},
        {TMachine::Unknown, &x64, ""},
        {TMachine::I386, &wow64, ""},
        {TMachine::Amd64, &wow64, "C:\\Windows\\Sysnative\\regsvr32.exe"},
        {TMachine::Other, &wow64, ""},
        {TMachine::Amd64, &x86, ""},
    };
    for (const RouteCase& c : cases) {
        EXPECT_EQ(Regsvr32Path(ChooseServerRoute(c.dll, *c.layout), *c.layout), c.regsvr32)
            << static_cast<int>(c.dll) << " " << c.layout->Program64 << c.layout->Windows64;
    }
}

}  // namespace

// The log checker: which lines of a log it reports, how severely and under
// which code, and how its findings are written out.
#include "core/UnVrelLogCheck.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/UnVrelCheckReport.h"

namespace {

using Found = std::vector<std::string>;

// "line severity code" for each finding of the log, in order.
Found FindingsOf(const std::string& log) {
    Found found;
    for (const TFinding& f : CheckLogText(log, StandardCheckTarget())) {
        found.push_back(std::to_string(f.Line) + " " + SeverityName(f.Severity) + " " + f.Code);
    }
    return found;
}

// The lines joined with CR LF, each ended by one.
std::string Log(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

struct Case {
    const char* what;
    std::string log;
    Found expected;
};

void ExpectCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) EXPECT_EQ(FindingsOf(c.log), c.expected) << c.what;
}

// A removal section the checks below can lean on, so that a log is not
// reported for removing nothing.
const std::string kFiles = "[CopyFiles]\r\nC:\\App\\a.exe=1\r\n";

TEST(LogCheck, ReportsWhatTheReaderDropsAndWhereAnEditorShowsIt) {
    ExpectCases({
        {"clean", kFiles, {}},
        {"UTF-16", "\xFF\xFE[\0C\0", {"0 error utf16"}},
        {"LF line ends", "[CopyFiles]\nC:\\App\\a.exe=1\n", {"0 error lf-line-ends"}},
        {"one lone LF joins two lines",
         "[CopyFiles]\r\nC:\\App\\a.exe=1\nC:\\App\\b.exe=1\r\n",
         {"2 error joined-lines"}},
        {"NUL byte", kFiles + std::string("C:\\App\\b\0.exe=1\r\n", 17), {"3 error nul-byte"}},
        {"a UTF-8 byte-order mark is passed over", "\xEF\xBB\xBF[Strings]\r\n1=Addio\r\n" + kFiles, {}},
        {"lines before the first header, reported once",
         Log({"Installed by Setup", "x=1", "[CopyFiles]", "C:\\App\\a.exe=1"}),
         {"1 warning before-first-section"}},
        {"no equals sign, and a broken header",
         Log({"[CopyFiles]", "C:\\App\\a.exe", "[CreateDirs] ; app", "C:\\App=1"}),
         {"2 error no-equals", "3 error no-equals"}},
        {"comments and blank lines are fine", Log({"; log", "", "[CopyFiles]", "  ; x", "C:\\App\\a=1"}), {}},
        {"unknown sections; blanks inside the brackets",
         Log({"[Setup]", "Version=2", "[ CopyFiles ]", "C:\\App\\b=1"}) + kFiles,
         {"1 warning unknown-section", "3 warning unknown-section"}},
        {"a second section of a name, with and without entries",
         kFiles + Log({"[COPYFILES]", "C:\\App\\b=1", "[copyfiles]"}),
         {"3 error duplicate-section", "5 warning duplicate-section"}},
        {"nothing to remove", Log({"[Strings]", "1=Addio"}), {"0 warning nothing-to-remove"}},
        {"editor line numbers count CR, LF and CR LF alike",
         "[CopyFiles]\rC:\\App\\a=1\r\n\r\nno equals\r\n", {"4 error no-equals"}},
    });
}

TEST(LogCheck, MessageTextsAndTheTitleFont) {
    ExpectCases({
        {"message keys",
         kFiles + Log({"[Strings]", "1=Titolo", "05=x", "26=x", "Titolo=x", "25=ok", "1=again"}),
         {"5 warning strings-key", "6 warning strings-key", "7 warning strings-key",
          "9 warning duplicate-key"}},
        {"message 3 and 24 conversions",
         kFiles + Log({"[Strings]", "3=Manca %s", "24=non rimossi: %d (100%%)"}),
         {"4 note never-shown"}},
        {"wrong conversions",
         kFiles + Log({"[Strings]", "3=Manca il log", "24=%s: %d", "2=x"}),
         {"4 note never-shown", "4 warning format-conversions", "5 warning format-conversions",
          "6 note never-shown"}},
        {"a good font", kFiles + Log({"[Display]", "DialogTitleFont=Times New Roman,20,255,BIU", "Charset=238"}), {}},
        {"font fields it cannot read",
         kFiles + Log({"[Display]", "DialogTitleFont=Arial,big,red,bx,extra", "Charset=many"}),
         {"4 warning display-font", "4 warning display-font", "4 warning display-font",
          "4 warning display-font", "5 warning display-charset"}},
        {"an empty font, a long face, an odd key",
         kFiles + Log({"[Display]", "DialogTitleFont=", "Colour=1"}),
         {"4 warning display-font", "5 warning display-key"}},
        {"a face too long",
         kFiles + Log({"[Display]", "DialogTitleFont=" + std::string(32, 'F') + ",10,0,B"}),
         {"4 warning display-font"}},
    });
}

TEST(LogCheck, ProgramsToRun) {
    ExpectCases({
        {"good entries",
         kFiles + Log({"[PreRunApp]", "1=C:\\App\\stop.exe,/q,C:\\App,0,\"Chiusura, attendere...\"",
                       "[RunApp]", "1=\"C:\\Tools\\a,b.exe\",,,1"}),
         {}},
        {"a value wholly in quotes loses them",
         kFiles + Log({"[PreRunApp]", "1=\"C:\\App\\stop.exe\",,,0,\"Chiusura...\""}),
         {"4 error program-quotes"}},
        {"no program, a relative one, odd show mode, too many fields",
         kFiles + Log({"[PreRunApp]", "1=,/q", "2=stop.exe", "3=C:\\App\\s.exe,,,7,a,b"}),
         {"4 error program-missing", "5 warning program-relative", "6 warning show-mode",
          "6 warning program-fields"}},
        {"a program run last that the removal deletes, named or by a mask",
         Log({"[CopyFiles]", "C:\\App\\a.exe=1", "C:\\App\\Tools\\*.exe=1", "[RunApp]",
              "1=c:\\app\\A.EXE", "2=C:\\App\\Tools\\bye.exe", "3=C:\\Other\\bye.exe"}),
         {"5 error program-removed", "6 error program-removed"}},
    });
}

TEST(LogCheck, RegistryPaths) {
    ExpectCases({
        {"good paths",
         kFiles + Log({"[AddReg]", "HKCU\\Software\\Tamsk\\Lingua=it", "HKLM\\SOFTWARE\\Tamsk\\=x",
                       "HKCU\\Software\\Tamsk\\'C:\\a\\b.dll'=1", "[CreateKeys]",
                       "HKCU\\Software\\Tamsk=1", "HKU\\.DEFAULT\\Software\\Tamsk\\=1"}),
         {}},
        {"roots",
         kFiles + Log({"[AddReg]", "hkcu\\Software\\T\\V=1", "HKEY_LOCAL_MACHINE\\Software\\T\\V=1",
                       "HKCC\\Software\\T\\V=1", "Version=1", "=1", "[CreateKeys]",
                       "Hklm\\Software\\T=1", "HKLM=1", "HKCU\\=1"}),
         {"4 error lower-case-root", "5 error unknown-root", "6 error unknown-root",
          "7 error unknown-root", "8 error empty-item", "10 error lower-case-root",
          "11 error protected-key", "12 error protected-key"}},
    });
}

TEST(LogCheck, ViewsOfOptionsAndRoots) {
    ExpectCases({
        {"the log's view and roots with their own",
         kFiles + Log({"[Options]", "View=64", "[AddReg]", "HKLM32\\SOFTWARE\\Tamsk\\V=1",
                       "HKCU64\\Software\\Tamsk\\V=1", "[CreateKeys]", "HKCR64\\.tamsk=1"}),
         {}},
        {"an unknown view, key or repeated key",
         kFiles + Log({"[Options]", "View=x64", "Views=64", "view=32"}),
         {"4 warning view-value", "5 warning options-key", "6 warning duplicate-key"}},
        {"roots in other spellings; HKU has no views; Wow6432Node by hand",
         kFiles + Log({"[AddReg]", "hklm64\\S\\T\\V=1", "HKEY_LOCAL_MACHINE_64\\S\\T\\V=1",
                       "HKU64\\S\\T\\V=1", "HKLM\\SOFTWARE\\Wow6432Node\\Tamsk\\V=1",
                       "[CreateKeys]", "HKLM64\\SOFTWARE=1"}),
         {"4 error lower-case-root", "5 error unknown-root", "6 error unknown-root",
          "7 note wow6432node", "9 error protected-key"}},
    });
}

TEST(LogCheck, FilesDirectoriesAndSharedFiles) {
    ExpectCases({
        {"paths",
         Log({"[CopyFiles]", "C:\\App\\*.dll=1", "App\\a.exe=1", "\\\\srv\\share\\App\\b.exe=1",
              "=1", "[Shortcuts]", "C:\\Menu\\App*.lnk=1", "C:\\Menu\\App.url=1", "C:\\Menu\\App=1",
              "[RegFonts]", "TAMSK.TTF=Tamsk", "Fonts\\T.TTF=T", "[RegServers]", "srv.dll=1",
              "[AddIni]", "tamsk.ini,Recent,File1=x", "Conf\\t.ini,A,B=1", "t.ini,A=1",
              "t.ini,A,'k,1',x=1", "[CreateDirs]", "C:\\App=1", "C:\\Menu=1"}),
         {"3 warning relative-path", "5 error empty-item", "7 warning wildcard",
          "8 warning shortcut-extension", "12 warning relative-path", "14 warning relative-path",
          "17 warning relative-path", "18 error ini-fields", "19 warning ini-fields"}},
        {"a directory with nothing of the log inside",
         Log({"[CopyFiles]", "C:\\App\\Bin\\a.exe=1", "[CreateDirs]", "C:\\App=1", "C:\\App\\Bin=1",
              "C:\\App\\Logs=1", "C:\\Ap=1"}),
         {"6 warning empty-dir", "7 warning empty-dir"}},
        {"shared files against CopyFiles",
         Log({"[SharedFiles]", "C:\\Windows\\System32\\a.dll=1", "C:\\WINDOWS\\SYSTEM32\\A.DLL=1",
              "C:\\Windows\\System32\\.\\b.dll=1", "C:\\App\\c.dll=1", "C:\\Common\\d.dll=1",
              "[CopyFiles]", "c:\\windows\\system32\\a.dll=1", "C:\\Windows\\System32\\b.dll=1",
              "C:\\App\\*.dll=1"}),
         {"2 note shared-and-copied", "3 error shared-twice", "4 error shared-spelling",
          "5 error shared-by-mask", "6 warning shared-not-removed"}},
    });
}

TEST(LogCheck, WhatTheSafetyRulesRefuse) {
    ExpectCases({
        {"the application's own items below protected places",
         Log({"[AddReg]", "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\TamskNotes=1",
              "[CreateKeys]", "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tamsk=1",
              "HKCR\\CLSID\\{0A1B2C3D-0000-0000-0000-000000000001}=1", "[CopyFiles]",
              "C:\\Windows\\System32\\tamsk*.dll=1", "C:\\Windows\\System32\\tamsk.dll=1",
              "C:\\Program Files\\Tamsk\\a.exe=1", "C:\\Users\\Public\\Tamsk\\b.txt=1", "[CreateDirs]", "C:\\Program Files\\Tamsk=1", "C:\\Users\\Public\\Tamsk=1"}),
         {}},
        {"what they refuse",
         Log({"[AddReg]", "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment\\Path=x",
              "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run=1", "[CreateKeys]",
              "HKLM\\SOFTWARE=1", "HKCR\\CLSID=1", "HKLM\\SOFTWARE\\Wow6432Node\\Microsoft=1",
              "[CopyFiles]", "*.*=1", "C:\\*.*=1", "C:\\Windows\\System32\\*.dll=1",
              "C:\\App\\*\\a.dll=1", "[CreateDirs]", "C:\\Program Files=1", "C:\\Users\\Anna=1",
              "C:\\=1"}),
         {"2 error shared-value", "3 error protected-key", "5 error protected-key",
          "6 error protected-key", "7 error protected-key", "9 error refused-mask",
          "10 error refused-mask", "11 error refused-mask", "12 error refused-mask",
          "14 error protected-dir", "15 error protected-dir", "16 error protected-dir"}},
        {"every spelling of those places, and the keys that hold shared values",
         Log({"[CreateKeys]", "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment=1",
              "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows=1",
              "HKLM\\SYSTEM\\MountedDevices=1", "HKCR\\txtfile=1",
              "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tamsk=1", "[CopyFiles]",
              "\\\\localhost\\C$\\windows\\system32\\*.zq5=1",
              "\\\\?\\UNC\\localhost\\C$\\windows\\*.zq6=1",
              "C:\\Windows\\System32\\drivers\\*.sys=1", "C:\\Users\\Public\\Documents\\*.*=1",
              "\\\\localhost\\Data\\*.*=1", "\\\\localhost\\C$\\Tamsk\\*.*=1",
              "C:\\Users\\Anna\\AppData\\Local\\Tamsk\\*.*=1", "[CreateDirs]",
              "\\??\\C:\\Users\\x=1", "\\\\localhost\\C$\\users\\x=1",
              "\\\\localhost\\C$\\Tamsk=1", "C:\\Windows\\Tamsk=1"}),
         {"2 error protected-key", "3 error protected-key", "4 error protected-key",
          "5 error protected-key", "8 error refused-mask", "9 error refused-mask",
          "10 error refused-mask", "11 error refused-mask", "12 error refused-mask",
          "13 warning share-path", "16 error protected-dir", "17 error protected-dir",
          "18 warning share-path", "19 warning empty-dir"}},
    });
}

TEST(LogCheckReport, TextJsonAndExitCodes) {
    const TCheckedLog log{"C:\\setup\\app.log",
                          {TFinding{0, TSeverity::Error, "utf16", "", "UTF-16"},
                           TFinding{7, TSeverity::Warning, "display-font", "Display", "Citt\xE0 \"x\"\x80"}}};
    EXPECT_EQ(FormatFindingsText(log, true),
              "C:\\setup\\app.log: error: UTF-16 (utf16)\n"
              "C:\\setup\\app.log:7: warning: [Display] Citt\xC3\xA0 \"x\"\xE2\x82\xAC (display-font)\n"
              "C:\\setup\\app.log: 1 error, 1 warning, 0 notes\n");
    EXPECT_EQ(FormatFindingsJson({log}, false),
              "{\"logs\":[{\"path\":\"C:\\\\setup\\\\app.log\",\"errors\":1,\"warnings\":1,\"notes\":0,"
              "\"findings\":[{\"line\":0,\"severity\":\"error\",\"code\":\"utf16\",\"section\":\"\","
              "\"message\":\"UTF-16\"},{\"line\":7,\"severity\":\"warning\",\"code\":\"display-font\","
              "\"section\":\"Display\",\"message\":\"Citt\xC3\xA0 \\\"x\\\"\xE2\x82\xAC\"}]}],"
              "\"exitCode\":2}\n");
    EXPECT_EQ(AnsiToUtf8("\x81\x9F\xFF\x01"), "\xEF\xBF\xBD\xC5\xB8\xC3\xBF\x01");

    const TFinding note{1, TSeverity::Note, "n", "", ""};
    const TFinding warning{1, TSeverity::Warning, "w", "", ""};
    const TFinding error{1, TSeverity::Error, "e", "", ""};
    EXPECT_EQ(CheckExitCode(std::vector<TFinding>{}), 0);
    EXPECT_EQ(CheckExitCode(std::vector<TFinding>{note}), 0);
    EXPECT_EQ(CheckExitCode(std::vector<TFinding>{note, warning}), 1);
    EXPECT_EQ(CheckExitCode(std::vector<TFinding>{warning, error, note}), 2);
    EXPECT_EQ(CheckExitCode(std::vector<TCheckedLog>{{"a", {warning}}, {"b", {}}}), 1);
}

}  // namespace

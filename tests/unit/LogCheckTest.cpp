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
        {"a UTF-8 log names what 1252 lacks",
         "\xEF\xBB\xBF[CopyFiles]\r\nC:\\App\\\xE4\xB8\xAD\xE6\x96\x87.pak=1\r\n", {}},
        {"a UTF-8 log with a stray byte, on the line that holds it",
         "\xEF\xBB\xBF" + kFiles + "C:\\App\\Citt\xE0.txt=1\r\n", {"3 warning not-utf8"}},
        {"an ANSI log with a byte 1252 leaves unassigned",
         kFiles + "C:\\App\\\x81\x40.txt=1\r\n", {"3 warning not-cp1252"}},
        {"an ANSI log in 1252 only", kFiles + "C:\\App\\Citt\xE0.txt=1\r\n", {}},
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

// The messages of the findings on the line, one a line, to pin what a
// reason says.
std::string MessagesAt(const std::string& log, std::int32_t line) {
    std::string messages;
    for (const TFinding& f : CheckLogText(log, StandardCheckTarget())) {
        if (f.Line == line) messages += f.Message + "\n";
    }
    return messages;
}

TEST(LogCheck, ReasonsSayWhatTheRuleSaw) {
    struct ReasonCase {
        const char* section;
        const char* line;
        const char* says;      // a part of the message
        const char* saysNot;   // a part it must not hold, or ""
    };
    const std::vector<ReasonCase> cases = {
        {"CopyFiles", "\\\\?\\C:\\Windows\\*.dll=1", "would sweep the protected folder \"\\\\?\\C:\\Windows\" (C:\\WINDOWS)",
         "wildcard in"},
        {"CopyFiles", "C:/Windows/System32/*.dll=1", "protected folder \"C:\\Windows\\System32\"", "no full"},
        {"CopyFiles", "C:\\App\\..\\Windows\\*.dll=1", "(C:\\WINDOWS)", ""},
        {"CopyFiles", "*.*=1", "names no folder, so it would be expanded in the Windows directory (C:\\Windows)", ""},
        {"CopyFiles", "App\\*.dll=1", "\"App\" is a relative path, taken from the Windows directory", ""},
        {"CopyFiles", "\\App\\*.dll=1", "no drive letter, so it is taken on the drive of the Windows directory (C:\\App)", ""},
        {"CopyFiles", "D:*.dll=1", "current on drive D:", "Windows directory"},
        {"CopyFiles", "\\\\srv\\*.dll=1", "names a server but no share", ""},
        {"CopyFiles", "\\\\?\\Volume{1}\\*.dll=1", "device path", "relative"},
        {"CopyFiles", "C:\\App\\*\\a.dll=1", "folder part of the mask \"C:\\App\\*\\a.dll\" holds the wildcard \"*\"", ""},
        {"CopyFiles", "\"C:\\App\\*.dll\"=1", "holds the wildcard '\"'", "no full"},
        {"SharedFiles", "App\\a.dll=1", "is a relative path, taken from the Windows directory (C:\\Windows)", ""},
        {"SharedFiles", "C:a.dll=1", "current folder of drive C:, the Windows directory", ""},
        {"CreateDirs", "\"C:\\App\"=1", "holds a double quote", "expand"},
        {"RegServers", "C:\\App\\s?.dll=1", "holds the wildcard \"?\", which this section does not expand", ""},
        {"PreRunApp", "1=\\App\\stop.exe", "program \"\\App\\stop.exe\" has no drive letter", ""},
    };
    for (const ReasonCase& c : cases) {
        const bool copyFiles = std::string(c.section) == "CopyFiles";
        const std::string log =
            Log({std::string("[") + c.section + "]", c.line}) + (copyFiles ? "" : kFiles);
        const std::string message = MessagesAt(log, 2);
        EXPECT_NE(message.find(c.says), std::string::npos) << c.line << "\n" << message;
        if (*c.saysNot != '\0') {
            EXPECT_EQ(message.find(c.saysNot), std::string::npos) << c.line << "\n" << message;
        }
    }
    // A path handed to the system as it stands: its "?" is no wildcard.
    ExpectCases({{"device paths in sections that do not expand masks",
                  kFiles + Log({"[SharedFiles]", "\\\\?\\C:\\App\\a.exe=1", "[CreateDirs]",
                                "\\\\?\\C:\\App=1"}),
                  {"4 error shared-spelling"}}});
}

TEST(LogCheck, FindsEveryCopyFilesLineThatTakesASharedFileInLineOrder) {
    ExpectCases({
        {"the same file named, respelled and masked, more than once",
         Log({"[SharedFiles]", "C:\\App\\a.dll=1", "\\\\?\\C:\\App\\A.DLL=1", "App\\r.dll=1",
              "app\\R.DLL=1", "[CopyFiles]", "C:\\App\\*.dll=1", "c:\\app\\a.dll=1",
              "C:\\App\\.\\a.dll=1", "C:\\App\\a*=1", "C:\\Other\\*.dll=1", "C:\\App\\a.dll=1",
              "APP\\R.DLL=1", "[RunApp]", "1=C:\\Other\\x.dll", "2=C:\\App\\A.dll"}),
         {"2 error shared-by-mask", "2 note shared-and-copied", "2 error shared-spelling",
          "2 error shared-by-mask", "2 note shared-and-copied", "3 error shared-twice",
          "4 warning relative-path", "4 note shared-and-copied", "5 warning relative-path",
          "5 error shared-twice", "13 warning relative-path",
          "15 error program-removed", "16 error program-removed"}},
        {"a folder holds what the log names at any depth, spelled any way",
         Log({"[CopyFiles]", "c:/app/bin/x/../a.exe=1", "[CreateDirs]", "C:\\App=1",
              "C:\\App\\Bin=1", "C:\\App\\Bin\\a.exe=1", "C:\\App\\Bi=1"}),
         {"6 warning empty-dir", "7 warning empty-dir"}},
    });
    const std::string first = MessagesAt(
        Log({"[CopyFiles]", "C:\\App\\*.exe=1", "C:\\App\\a.exe=1", "[RunApp]", "1=C:\\App\\a.exe"}), 5);
    EXPECT_NE(first.find("(line 2)"), std::string::npos) << first;
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

// True when the text is well-formed UTF-8 and holds no C0 or C1 control.
bool IsUtf8WithoutControls(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        if (length == 0 || i + length > text.size() || lead < 0x20 || lead == 0x7F) return false;
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code >= 0x80 && code < 0xA0) return false;
        i += length;
    }
    return true;
}

// Whatever bytes a log or its name holds, text output never carries a
// control character to the terminal, and JSON output is valid UTF-8.
TEST(LogCheckReport, EscapesControlsAndBytesThatAreNotUtf8) {
    const std::vector<TFinding> findings = {
        TFinding{3, TSeverity::Warning, "wildcard", "Copy\x1B[2J", "\"C:\\a\x1B]0;x\x07\x7F\x9B\""}};
    struct Case {
        const char* what;
        std::string path;
        bool utf8;
        std::string text;  // the first line of the text output
        std::string json;  // the path and the message in the JSON output
    };
    const std::vector<Case> cases = {
        {"UTF-8 names, a log in 1252", "d\xC3\xA9j\xC3\xA0.log", true,
         "d\xC3\xA9j\xC3\xA0.log:3: warning: [Copy<0x1B>[2J] \"C:\\a<0x1B>]0;x<0x07><0x7F>\xE2\x80\xBA\" (wildcard)",
         "\"path\":\"d\xC3\xA9j\xC3\xA0.log\"|\"message\":\"\\\"C:\\\\a\\u001b]0;x\\u0007\\u007f\xE2\x80\xBA\\\"\""},
        {"a name that is not UTF-8: a 1252 byte, an unassigned one, a cut sequence, a C1 control",
         "\xE9\x81\xC3\xC2\x9B\x1B.log", true,
         "\xC3\xA9<0x81>\xC3\x83<0x9B><0x1B>.log:3: warning:",
         "\"path\":\"\\u00e9\\u0081\\u00c3\\u009b\\u001b.log\""},
        {"an ANSI build keeps the code page's bytes and escapes the controls", "\xE9\x1B.log", false,
         "\xE9<0x1B>.log:3: warning: [Copy<0x1B>[2J] \"C:\\a<0x1B>]0;x<0x07><0x7F>\x9B\" (wildcard)",
         "\"path\":\"\xC3\xA9\\u001b.log\""},
    };
    for (const Case& c : cases) {
        const TCheckedLog log{c.path, findings};
        const std::string text = FormatFindingsText(log, c.utf8);
        EXPECT_EQ(text.substr(0, c.text.size()), c.text) << c.what;
        const std::string json = FormatFindingsJson({log}, c.utf8);
        std::size_t from = 0;
        for (std::size_t bar = 0; from <= c.json.size(); from = bar + 1) {
            bar = c.json.find('|', from);
            if (bar == std::string::npos) bar = c.json.size();
            const std::string part = c.json.substr(from, bar - from);
            EXPECT_NE(json.find(part), std::string::npos) << c.what << "\n" << part << "\n" << json;
        }
        EXPECT_TRUE(IsUtf8WithoutControls(json.substr(0, json.size() - 1))) << c.what << "\n" << json;
    }
}

TEST(LogCheckReport, QuotesAUtf8LogAsUtf8AndItsStrayBytesAsReplacements) {
    TCheckedLog log{"app.log",
                    {TFinding{2, TSeverity::Warning, "wildcard", "\xCE\xA3",
                              "\"C:\\\xCE\xA9\xCE\xBC\xE0.dll\""}}};
    log.Utf8 = true;
    const std::string json = FormatFindingsJson({log}, true);
    EXPECT_NE(json.find("\"section\":\"\xCE\xA3\""), std::string::npos) << json;
    EXPECT_NE(json.find("\xCE\xA9\xCE\xBC\xEF\xBF\xBD.dll"), std::string::npos) << json;
    EXPECT_TRUE(IsUtf8WithoutControls(json.substr(0, json.size() - 1))) << json;
    EXPECT_EQ(FormatFindingsText(log, true).substr(0, 31),
              "app.log:2: warning: [\xCE\xA3] \"C:\\\xCE\xA9");
}

}  // namespace

// OLE server unregistration against Wine: the stand-in servers built with the
// project (tools/olefixtures), type libraries made and registered here, and
// their registration under HKCR\TypeLib.
#include "win/oleunreg.h"

#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "../support/OleTestSupport.h"
#include "TestFiles.h"
#include "win/handles.h"

namespace {

const std::string kFixtureDir = TAMSK_OLE_FIXTURE_DIR;

std::string GuidText(const GUID& guid) {
    wchar_t wide[64] = {};
    StringFromGUID2(guid, wide, 64);
    std::string text;
    for (const wchar_t* p = wide; *p != L'\0'; ++p) text += static_cast<char>(*p);
    return text;
}

// Polls for a file that another process writes; its content once it holds a
// whole line, or nothing at the deadline.
std::optional<std::string> WaitForLine(const std::string& path, DWORD deadlineMs = 15000) {
    const DWORD start = GetTickCount();
    for (;;) {
        const std::optional<std::string> text = ReadBytes(path);
        if (text && text->size() >= 2 && text->substr(text->size() - 2) == "\r\n") return text;
        if (GetTickCount() - start > deadlineMs) return std::nullopt;
        Sleep(20);
    }
}

bool IsModuleLoaded(const std::string& path) { return GetModuleHandleA(path.c_str()) != nullptr; }

class OleUnregTest : public TempDirTest {
protected:
    void TearDown() override {
        for (const std::string& guid : libraries_) {
            RegDeleteTreeA(HKEY_CLASSES_ROOT, ("TypeLib\\" + guid).c_str());
            RegDeleteKeyA(HKEY_CLASSES_ROOT, ("TypeLib\\" + guid).c_str());
        }
        TempDirTest::TearDown();
    }

    // A copy of a fixture at name (directories created), so that what it
    // records belongs to this test alone.
    std::string CopyFixture(const std::string& fixture, const std::string& name) {
        const std::string target = PathOf(name);
        for (size_t slash = target.find('\\', dir_.size() + 1); slash != std::string::npos;
             slash = target.find('\\', slash + 1)) {
            CreateDirectoryA(target.substr(0, slash).c_str(), nullptr);
        }
        EXPECT_TRUE(CopyFileA((kFixtureDir + "\\" + fixture).c_str(), target.c_str(), FALSE))
            << fixture << " -> " << target;
        return target;
    }

    // Writes a new, empty type library with a fresh guid; its guid text.
    std::string MakeTypeLibrary(const std::string& path) {
        GUID guid = {};
        EXPECT_EQ(CoCreateGuid(&guid), S_OK);
        ICreateTypeLib2* create = nullptr;
        const std::wstring file = Wide(path);
        EXPECT_EQ(CreateTypeLib2(kSysKind, file.c_str(), &create), S_OK);
        if (create == nullptr) return std::string();
        create->SetGuid(guid);
        create->SetVersion(1, 0);
        create->SetLcid(LOCALE_NEUTRAL);
        create->SetName(const_cast<LPOLESTR>(L"TamskOleTestLibrary"));
        EXPECT_EQ(create->SaveAllChanges(), S_OK);
        create->Release();
        return GuidText(guid);
    }

    // Registers the type library that the file is or embeds; remembered for
    // the clean-up.
    void RegisterLibraryOf(const std::string& path, const std::string& guid) {
        const std::wstring file = Wide(path);
        ITypeLib* library = nullptr;
        ASSERT_EQ(LoadTypeLib(file.c_str(), &library), S_OK) << path;
        libraries_.push_back(guid);
        const HRESULT registered = RegisterTypeLib(library, const_cast<LPOLESTR>(file.c_str()),
                                                   nullptr);
        library->Release();
        ASSERT_EQ(registered, S_OK);
        ASSERT_TRUE(IsRegistered(guid));
    }

    // A copy of the fixture DLL with a registered type library of its own
    // embedded as resource TYPELIB 1, as a real server carries it. Its guid.
    std::string MakeServerWithTypeLibrary(const std::string& fixture, const std::string& name,
                                          std::string& guid) {
        const std::string module = CopyFixture(fixture, name);
        const std::string tlb = PathOf(name + ".tlb");
        guid = MakeTypeLibrary(tlb);
        const std::optional<std::string> bytes = ReadBytes(tlb);
        EXPECT_TRUE(bytes && !bytes->empty());
        HANDLE update = BeginUpdateResourceA(module.c_str(), FALSE);
        EXPECT_NE(update, nullptr);
        if (update != nullptr && bytes) {
            std::string data = *bytes;
            EXPECT_TRUE(UpdateResourceA(update, "TYPELIB", MAKEINTRESOURCEA(1),
                                        MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), &data[0],
                                        static_cast<DWORD>(data.size())));
            EXPECT_TRUE(EndUpdateResourceA(update, FALSE));
        }
        DeleteFileA(tlb.c_str());
        RegisterLibraryOf(module, guid);
        return module;
    }

    static bool IsRegistered(const std::string& guid) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ("TypeLib\\" + guid + "\\1.0").c_str(), 0, KEY_READ,
                          &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    std::vector<std::string> libraries_;
};

TEST_F(OleUnregTest, ExportThatSucceedsUnregistersTheModuleAndSkipsItsTypeLibrary) {
    for (const char* fixture : {"OleServerOk.dll", "OleServerFalse.dll"}) {
        SCOPED_TRACE(fixture);
        std::string guid;
        const std::string server =
            MakeServerWithTypeLibrary(fixture, std::string("Ok ") + fixture, guid);
        EXPECT_TRUE(UnregisterServer(server));
        EXPECT_EQ(ReadBytes(server + ".log"),
                  std::optional<std::string>("DllUnregisterServer\r\n"));
        EXPECT_TRUE(IsRegistered(guid));
        EXPECT_FALSE(IsModuleLoaded(server));
    }
}

TEST_F(OleUnregTest, FailingOrMissingExportFallsBackToTheTypeLibraryOfTheSameFile) {
    std::string failGuid;
    const std::string failing =
        MakeServerWithTypeLibrary("OleServerFail.dll", "fail.ocx", failGuid);
    std::string noExportGuid;
    const std::string noExport =
        MakeServerWithTypeLibrary("OleNoExport.dll", "noexport.dll", noExportGuid);

    EXPECT_FALSE(UnregisterServerModule(failing));
    EXPECT_EQ(ReadBytes(failing + ".log"), std::optional<std::string>("DllUnregisterServer\r\n"));
    EXPECT_TRUE(IsRegistered(failGuid));
    EXPECT_TRUE(UnregisterServer(failing));
    EXPECT_FALSE(IsRegistered(failGuid));

    EXPECT_TRUE(UnregisterServer(noExport));
    EXPECT_FALSE(IsRegistered(noExportGuid));
    // Its registration export is never mistaken for the unregistration one.
    EXPECT_EQ(ReadBytes(noExport + ".log"), std::nullopt);

    EXPECT_FALSE(IsModuleLoaded(failing));
    EXPECT_FALSE(IsModuleLoaded(noExport));
    // Nothing holds the files: they can go.
    EXPECT_TRUE(DeleteFileA(failing.c_str()));
    EXPECT_TRUE(DeleteFileA(noExport.c_str()));
}

TEST_F(OleUnregTest, ModuleWithoutExportOrTypeLibraryFails) {
    const std::string failing = CopyFixture("OleServerFail.dll", "fail.dll");
    const std::string noExport = CopyFixture("OleNoExport.dll", "noexport.dll");
    EXPECT_FALSE(UnregisterServer(failing));
    EXPECT_FALSE(UnregisterServer(noExport));
    EXPECT_EQ(ReadBytes(failing + ".log"), std::optional<std::string>("DllUnregisterServer\r\n"));
    EXPECT_FALSE(IsModuleLoaded(failing));
    EXPECT_FALSE(IsModuleLoaded(noExport));
}

TEST_F(OleUnregTest, ProgramWithoutExportIsStartedWithTheUnregisterSwitch) {
    // Upper-case extension, blanks in the path.
    const std::string server =
        CopyFixture("OleServerExe.exe", "Program Files\\My Server\\Srv Exe.EXE");
    EXPECT_TRUE(UnregisterServerModule(server));
    const std::optional<std::string> recorded = WaitForLine(server + ".log");
    ASSERT_TRUE(recorded) << "the program was not started";
    // Wine puts the program name it found into quotes; Windows passes the
    // line as it is. Either way the switch follows the path directly.
    std::string line = recorded->substr(0, recorded->size() - 2);
    if (!line.empty() && line[0] == '"') line.erase(line.find('"', 1), 1).erase(0, 1);
    EXPECT_EQ(line, server + " /UNREGSERVER");
}

TEST_F(OleUnregTest, PathWithBlanksIsPassedUnquoted) {
    // Resolved from the command line alone, the unquoted path would start the
    // program named by the text before its first blank; the server is named
    // apart, so it is the one that starts, and sees the line exactly.
    const std::string decoy = CopyFixture("OleServerExe.exe", "Program.exe");
    const std::string server = CopyFixture("OleServerExe.exe", "Program Files\\Srv.exe");
    EXPECT_TRUE(UnregisterExeServer(server));
    const std::optional<std::string> recorded = WaitForLine(server + ".log");
    ASSERT_TRUE(recorded);
    EXPECT_EQ(*recorded, server + " /UNREGSERVER\r\n");
    EXPECT_EQ(ReadBytes(decoy + ".log"), std::nullopt);
}

// A server that is still busy at the time-out counts as failed; the run
// goes on without it.
TEST_F(OleUnregTest, ServerProgramStillRunningAtTheTimeOutFails) {
    const std::string server = CopyFixture("OleServerSlowExe.exe", "slow.exe");
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(UnregisterExeServer(server, 200));
    EXPECT_LT(GetTickCount64() - start, 1500u);
    EXPECT_TRUE(WaitForLine(server + ".log")) << "the program was not started";
    // It finishes by itself; its file is free once it has.
    for (int i = 0; i < 250 && !DeleteFileA(server.c_str()); ++i) Sleep(20);
}

TEST_F(OleUnregTest, NonProgramExtensionsAreNeverStarted) {
    // Named .dll, the program has no export: the attempt through the module
    // fails and it is not started.
    const std::string server = CopyFixture("OleServerExe.exe", "server.dll");
    EXPECT_FALSE(UnregisterServerModule(server));
    Sleep(300);
    EXPECT_EQ(ReadBytes(server + ".log"), std::nullopt);
}

TEST_F(OleUnregTest, TypeLibraryFileIsUnregisteredAsATypeLibrary) {
    const std::string tlb = PathOf("lib.tlb");
    const std::string guid = MakeTypeLibrary(tlb);
    RegisterLibraryOf(tlb, guid);
    EXPECT_FALSE(IsLoadableModule(tlb));
    EXPECT_FALSE(UnregisterServerModule(tlb));
    EXPECT_TRUE(UnregisterServer(tlb));
    EXPECT_FALSE(IsRegistered(guid));
    EXPECT_FALSE(UnregisterTypeLibrary(tlb));  // nothing left to unregister
}

// A type library is unregistered for the view the log names, whatever the
// library says of itself: the registration of the other view stays.
TEST_F(OleUnregTest, TypeLibraryIsUnregisteredForTheViewGiven) {
    const std::string tlb = PathOf("lib.tlb");
    const std::string guid = MakeTypeLibrary(tlb);
    RegisterLibraryOf(tlb, guid);
    const TView own = kSysKind == SYS_WIN64 ? TView::Bits64 : TView::Bits32;
    const TView other = own == TView::Bits64 ? TView::Bits32 : TView::Bits64;
    UnregisterTypeLibrary(tlb, other);
    EXPECT_TRUE(IsRegistered(guid));
    EXPECT_TRUE(UnregisterTypeLibrary(tlb, own));
    EXPECT_FALSE(IsRegistered(guid));
}

// The system's regsvr32, started by its full path, does what the server's
// export says; its machine type is read from the header alone.
TEST_F(OleUnregTest, Regsvr32UnregistersByItsExitCode) {
    char system[MAX_PATH] = {};
    ASSERT_NE(GetSystemDirectoryA(system, MAX_PATH), 0u);
    const std::string regsvr32 = std::string(system) + "\\regsvr32.exe";
    const std::string ok = CopyFixture("OleServerOk.dll", "With Blanks\\ok.dll");
    const std::string failing = CopyFixture("OleServerFail.dll", "failing.dll");
    const TMachine own = sizeof(void*) == 8 ? TMachine::Amd64 : TMachine::I386;
    EXPECT_EQ(ReadImageMachine(ok), own);
    EXPECT_EQ(ReadImageMachine(Write("text.dll", "MZ but no more")), TMachine::Unknown);
    EXPECT_EQ(ReadImageMachine(PathOf("missing.dll")), TMachine::Unknown);

    EXPECT_TRUE(UnregisterWithRegsvr32(regsvr32, ok, 60000));
    EXPECT_EQ(ReadBytes(ok + ".log"), std::optional<std::string>("DllUnregisterServer\r\n"));
    EXPECT_FALSE(UnregisterWithRegsvr32(regsvr32, failing, 60000));
    EXPECT_FALSE(UnregisterWithRegsvr32(PathOf("regsvr32.exe"), ok, 60000));
}

TEST_F(OleUnregTest, MissingOrForeignFilesFailInEveryStep) {
    const std::string text = Write("notes.exe", "not a program\r\n");

    for (const std::string& path :
         {PathOf("missing.dll"), PathOf("missing.exe"), PathOf("missing.tlb"), text,
          std::string()}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(IsLoadableModule(path));
        EXPECT_FALSE(UnregisterDllServer(path));
        EXPECT_FALSE(UnregisterTypeLibrary(path));
        EXPECT_FALSE(UnregisterServer(path));
    }
    EXPECT_FALSE(UnregisterExeServer(PathOf("missing.exe")));
    EXPECT_TRUE(IsLoadableModule(kFixtureDir + "\\OleNoExport.dll"));
}

}  // namespace

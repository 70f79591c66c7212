// Files for the tests of the Win32 services: see TestFiles.h.
#include "TestFiles.h"

#include "../support/FileBytes.h"

#include "win/handles.h"

std::optional<std::string> ReadBytes(const std::string& path) { return ReadAllBytes(path); }

void WriteBytes(const std::string& path, const std::string& bytes) {
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    const bool ok = file && (bytes.empty() || WriteFile(file.get(), bytes.data(),
                                                        static_cast<DWORD>(bytes.size()),
                                                        &written, nullptr)) &&
                    written == bytes.size();
    const DWORD error = GetLastError();
    if (!ok) ADD_FAILURE() << "cannot write " << path << " (error " << error << ")";
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::string& dir) {
    if (dir.size() <= 3) return;
    WIN32_FIND_DATAA data;
    UniqueFind find(FindFirstFileA((dir + "\\*").c_str(), &data));
    if (find) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = dir + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find.get(), &data));
    }
    find.reset();  // an open search holds the directory
    RemoveDirectoryA(dir.c_str());
}

std::string DataFile(const std::string& name) {
    // The source tree's Unix path is reached under Wine through drive Z:.
    std::string root = TAMSK_TEST_DATA;
    if (!root.empty() && root[0] == '/') root = "Z:" + root;
    return root + "/" + name;
}

void TempDirTest::SetUp() {
    char temp[MAX_PATH + 1] = {};
    ASSERT_NE(GetTempPathA(sizeof temp, temp), 0u);
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::string(temp) + "tamsk-" + info->test_suite_name() + "-" + info->name();
    RemoveTree(dir_);
    ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr)) << dir_;
}

void TempDirTest::TearDown() { RemoveTree(dir_); }

std::string TempDirTest::PathOf(const std::string& name) const { return dir_ + "\\" + name; }

std::string TempDirTest::Write(const std::string& name, const std::string& bytes) const {
    const std::string path = PathOf(name);
    WriteBytes(path, bytes);
    return path;
}

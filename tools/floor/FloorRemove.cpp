// The floor of the benchmark: carries out a removal list (FloorList.h) with
// one plain Win32 call per item and nothing more: no log to parse, no window,
// no attribute reset, no search. What the uninstaller takes beyond this for
// the same installation is the cost of its own means.
//
//   FloorRemove.exe LIST
//
// Prints, for each stretch of the list, "STRETCH name lines ms", then one
// line "FLOOR lines=N failed=M ms=T". A call that fails is counted, never
// retried. Exit code 0, or 2 when the list cannot be read.
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "FloorList.h"
#include "win/handles.h"

namespace {

double NowMs() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / frequency;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (;;) {
        const size_t tab = line.find(floor_list::kSeparator);
        fields.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) return fields;
        line.remove_prefix(tab + 1);
    }
}

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    return lower;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
    return text;
}

// The root key that a path begins with, and the rest after its backslash.
bool SplitKeyPath(std::string_view path, HKEY& root, std::string& subKey) {
    const size_t slash = path.find('\\');
    const std::string name = LowerAscii(path.substr(0, slash));
    if (name == "hkcr") root = HKEY_CLASSES_ROOT;
    else if (name == "hkcu") root = HKEY_CURRENT_USER;
    else if (name == "hklm") root = HKEY_LOCAL_MACHINE;
    else if (name == "hku") root = HKEY_USERS;
    else return false;
    subKey = slash == std::string_view::npos ? std::string() : std::string(path.substr(slash + 1));
    return true;
}

bool ReadWholeFile(HANDLE file, std::string& bytes) {
    const DWORD size = GetFileSize(file, nullptr);
    if (size == INVALID_FILE_SIZE) return false;
    bytes.resize(size);
    DWORD read = 0;
    if (size > 0 && !ReadFile(file, bytes.data(), size, &read, nullptr)) return false;
    bytes.resize(read);
    return true;
}

// Reads the INI file, leaves out the first line of each entry to drop
// (keys "section\nkey", lower case; found ones are taken out of the set) and
// writes the rest back in one go through the same handle.
bool RewriteIniFile(const std::string& path, std::set<std::string>& drops) {
    const UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    if (!file || !ReadWholeFile(file.get(), bytes)) return false;
    std::string kept;
    kept.reserve(bytes.size());
    std::string section;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\n', start);
        end = end == std::string::npos ? bytes.size() : end + 1;
        const std::string_view line(bytes.data() + start, end - start);
        start = end;
        const std::string_view text = TrimBlanks(line);
        if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
            section = LowerAscii(text.substr(1, text.size() - 2));
        } else if (const size_t equals = text.find('='); equals != std::string_view::npos) {
            const auto drop = drops.find(section + '\n' + LowerAscii(TrimBlanks(text.substr(0, equals))));
            if (drop != drops.end()) {
                drops.erase(drop);
                continue;
            }
        }
        kept.append(line);
    }
    DWORD written = 0;
    return SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN) == 0 &&
           WriteFile(file.get(), kept.data(), static_cast<DWORD>(kept.size()), &written, nullptr) &&
           written == kept.size() && SetEndOfFile(file.get());
}

class Floor {
public:
    void Carry(std::string_view line);
    // Writes the pending INI file, closes the open key, reports the last stretch.
    void Finish();

    int lines = 0;
    int failed = 0;

private:
    void Count(bool ok) { failed += ok ? 0 : 1; }
    HKEY OpenKey(std::string_view path, REGSAM access);
    void DeleteValue(std::string_view keyPath, std::string_view name);
    void LowerUseCount(std::string_view keyPath, std::string_view name);
    void DeleteKey(std::string_view keyPath);
    void AddIniDrop(std::string_view file, std::string_view section, std::string_view key);
    void FlushIniFile();
    void StartStretch(std::string_view name);
    void EndStretch();

    std::string keyPath_;
    UniqueHkey key_;
    std::string iniFile_;
    std::set<std::string> iniDrops_;
    std::string stretch_;
    double stretchStart_ = 0;
    int stretchLines_ = 0;
    bool inStretch_ = false;
};

HKEY Floor::OpenKey(std::string_view path, REGSAM access) {
    if (key_ && path == keyPath_) return key_.get();
    key_.reset();
    keyPath_ = path;
    HKEY root = nullptr;
    std::string subKey;
    HKEY key = nullptr;
    if (!SplitKeyPath(path, root, subKey) ||
        RegOpenKeyExA(root, subKey.c_str(), 0, access, &key) != ERROR_SUCCESS)
        return nullptr;
    key_.reset(key);
    return key;
}

void Floor::DeleteValue(std::string_view keyPath, std::string_view name) {
    const HKEY key = OpenKey(keyPath, KEY_SET_VALUE);
    Count(key != nullptr && RegDeleteValueA(key, std::string(name).c_str()) == ERROR_SUCCESS);
}

void Floor::LowerUseCount(std::string_view keyPath, std::string_view name) {
    const HKEY key = OpenKey(keyPath, KEY_QUERY_VALUE | KEY_SET_VALUE);
    const std::string valueName(name);
    DWORD count = 0;
    DWORD size = sizeof count;
    DWORD type = 0;
    const bool ok = key != nullptr &&
                    RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(&count), &size) == ERROR_SUCCESS &&
                    type == REG_DWORD && count > 0;
    if (ok) --count;
    Count(ok && RegSetValueExA(key, valueName.c_str(), 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&count), sizeof count) == ERROR_SUCCESS);
}

void Floor::DeleteKey(std::string_view keyPath) {
    HKEY root = nullptr;
    std::string subKey;
    Count(SplitKeyPath(keyPath, root, subKey) && !subKey.empty() &&
          RegDeleteKeyA(root, subKey.c_str()) == ERROR_SUCCESS);
}

void Floor::AddIniDrop(std::string_view file, std::string_view section, std::string_view key) {
    if (file != iniFile_) {
        FlushIniFile();
        iniFile_ = file;
    }
    if (!iniDrops_.insert(LowerAscii(section) + '\n' + LowerAscii(key)).second) ++failed;
}

void Floor::FlushIniFile() {
    if (iniFile_.empty()) return;
    const size_t wanted = iniDrops_.size();
    if (!RewriteIniFile(iniFile_, iniDrops_)) {
        failed += static_cast<int>(wanted);
    } else {
        failed += static_cast<int>(iniDrops_.size());  // entries that were not there
    }
    iniDrops_.clear();
    iniFile_.clear();
}

void Floor::StartStretch(std::string_view name) {
    EndStretch();
    stretch_ = name;
    stretchStart_ = NowMs();
    stretchLines_ = 0;
    inStretch_ = true;
}

void Floor::EndStretch() {
    if (!inStretch_) return;
    std::printf("STRETCH %s %d %.1f\n", stretch_.c_str(), stretchLines_, NowMs() - stretchStart_);
    inStretch_ = false;
}

void Floor::Carry(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) return;
    const std::vector<std::string_view> fields = SplitFields(line);
    const char tag = fields[0].size() == 1 ? fields[0][0] : '\0';
    if (tag != floor_list::kIniEntry) FlushIniFile();
    if (tag != floor_list::kValue && tag != floor_list::kUseCount) key_.reset();
    if (tag == floor_list::kStretch) {
        StartStretch(fields.size() > 1 ? fields[1] : "");
        return;
    }
    ++lines;
    ++stretchLines_;
    const auto field = [&fields](size_t i) { return i < fields.size() ? fields[i] : std::string_view(); };
    switch (tag) {
        case floor_list::kFile: Count(DeleteFileA(std::string(field(1)).c_str()) != 0); break;
        case floor_list::kValue: DeleteValue(field(1), field(2)); break;
        case floor_list::kUseCount: LowerUseCount(field(1), field(2)); break;
        case floor_list::kIniEntry: AddIniDrop(field(1), field(2), field(3)); break;
        case floor_list::kKey: DeleteKey(field(1)); break;
        case floor_list::kDirectory: Count(RemoveDirectoryA(std::string(field(1)).c_str()) != 0); break;
        default: ++failed; break;
    }
}

void Floor::Finish() {
    FlushIniFile();
    key_.reset();
    EndStretch();
}

}  // namespace

int main(int argc, char** argv) {
    const double start = NowMs();
    if (argc != 2) {
        std::printf("usage: FloorRemove LIST\n");
        return 2;
    }
    std::string list;
    {
        const UniqueFile file(CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file || !ReadWholeFile(file.get(), list)) {
            std::printf("cannot read %s\n", argv[1]);
            return 2;
        }
    }
    Floor remover;
    for (size_t begin = 0; begin < list.size();) {
        size_t end = list.find('\n', begin);
        if (end == std::string::npos) end = list.size();
        remover.Carry(std::string_view(list).substr(begin, end - begin));
        begin = end + 1;
    }
    remover.Finish();
    std::printf("FLOOR lines=%d failed=%d ms=%.1f\n", remover.lines, remover.failed, NowMs() - start);
    return 0;
}

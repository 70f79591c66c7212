// Writing, holding and moving a file that cannot be swapped.
#include "win/epHeldFile.h"

#include <vector>

#include "win/epFileUtils.h"

namespace {

bool WriteNewFile(const std::string& path, const std::string& bytes) {
    const UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && WriteAllBytes(file.get(), bytes);
}

}  // namespace

UniqueFile WriteHeldFile(const std::string& path, const std::string& bytes) {
    if (!WriteNewFile(path, bytes)) return UniqueFile();
    // Reading and the file's deletion only: a process started from the file
    // opens it for reading and execution, which no writer may share.
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    UniqueFile hold(CreateFileA(path.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, &inheritable,
                                OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!hold || ReadRestOfFile(hold.get()) != bytes) return UniqueFile();
    return hold;
}

bool RenameHeldFile(HANDLE file, const std::string& target) {
    const int length = MultiByteToWideChar(CP_ACP, 0, target.c_str(), -1, nullptr, 0);
    if (length <= 1) return false;
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) +
                                      static_cast<std::size_t>(length) * sizeof(WCHAR));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>((length - 1) * sizeof(WCHAR));
    MultiByteToWideChar(CP_ACP, 0, target.c_str(), -1, info->FileName, length);
    return SetFileInformationByHandle(file, FileRenameInfo, info,
                                      static_cast<DWORD>(buffer.size())) != FALSE;
}

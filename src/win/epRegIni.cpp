// The profile cache: one TepIniFile per upper-cased file name, sorted by the
// user locale's case-insensitive order.
#include "win/epRegIni.h"

#include <map>
#include <memory>

#include "core/epTextCase.h"

namespace {

using ProfileCache = std::map<std::string, std::unique_ptr<TepIniFile>, TLessTextI>;

// Each object writes its file as it is destroyed; destroy them in cache order.
void FlushEntries(ProfileCache& cache) {
    while (!cache.empty()) cache.erase(cache.begin());
}

// Destroying the cache at process end writes what is still pending. By then
// the program has flushed explicitly; this is the net for every other exit path.
struct CacheHolder {
    ProfileCache entries;
    ~CacheHolder() { FlushEntries(entries); }
};

ProfileCache& Cache() {
    static CacheHolder holder;
    return holder.entries;
}

}  // namespace

TepIniFile& GetIniFile(const std::string& name, bool readOnly) {
    const std::string key = UpperCaseAnsi(name);
    ProfileCache& cache = Cache();
    auto it = cache.find(key);
    if (it != cache.end() && it->second->ReadOnly && !readOnly) {
        cache.erase(it);
        it = cache.end();
    }
    if (it == cache.end()) {
        auto file = std::make_unique<TepIniFile>(key, readOnly, true, true, true, true);
        it = cache.emplace(key, std::move(file)).first;
    }
    return *it->second;
}

void DropIniFile(const std::string& name) { Cache().erase(UpperCaseAnsi(name)); }

std::string ReadProfileString(const std::string& fileName, const std::string& section,
                              const std::string& key, const std::string& def) {
    return GetIniFile(fileName, true).ReadString(section, key, def);
}

void ReadProfileSection(const std::string& fileName, const std::string& section,
                        TStringList& list) {
    GetIniFile(fileName, true).ReadSectionValues(section, list);
}

bool WriteProfileString(const std::string& fileName, const std::string& section,
                        const std::string& key, const std::string& value) {
    GetIniFile(fileName, false).WriteString(section, key, value);
    return true;
}

void AppendProfileLine(const std::string& fileName, const std::string& section,
                       const std::string& line) {
    GetIniFile(fileName, false).AppendLine(section, line);
}

void DeleteProfileKey(const std::string& fileName, const std::string& section,
                      const std::string& key) {
    GetIniFile(fileName, false).DeleteKey(section, key);
}

void FlushProfileCache() { FlushEntries(Cache()); }

void FlushProfileCacheExcept(const std::string& name) {
    ProfileCache& cache = Cache();
    auto kept = cache.extract(UpperCaseAnsi(name));
    FlushEntries(cache);
    if (!kept.empty()) cache.insert(std::move(kept));
}

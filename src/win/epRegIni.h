// Profile access by file name: every INI file, the installation log first of
// all, is reached through one cache that holds a TepIniFile per file name
// until the next flush.
//
// Names are cached upper-cased (ANSI, user locale) exactly as the caller gave
// them otherwise, so "c:\a.ini" and "C:\A.INI" share one object while
// "c:\.\a.ini" gets its own. Objects are created with every parser option on.
// A read-only object never serves a write: a write request drops it (it has no
// changes) and loads the file again writable. The cache is not locked; one
// thread at a time uses it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "core/epIniFile.h"
#include "core/epRegPath.h"
#include "core/epView.h"
#include "win/epIniFile.h"
#include "win/handles.h"

// The cached object for the name, loaded on first use. Throws EInOutError
// ("Cannot open file ...") when the file exists but cannot be opened; the
// cache is then unchanged.
TepIniFile& GetIniFile(const std::string& name, bool readOnly);

// Destroys the cached object for the name (writing its pending changes) and
// forgets it. Nothing happens when the name is not cached.
void DropIniFile(const std::string& name);

// Value of the first line with that key in that section, or def.
std::string ReadProfileString(const std::string& fileName, const std::string& section,
                              const std::string& key, const std::string& def);

// The section's lines merged into list (an empty list receives exactly the
// section's lines in file order); a missing section leaves the list as it is.
void ReadProfileSection(const std::string& fileName, const std::string& section,
                        TStringList& list);

// Replaces the first line with that key or appends one (an empty key erases
// the section). Written to disk at the next flush. Always true.
bool WriteProfileString(const std::string& fileName, const std::string& section,
                        const std::string& key, const std::string& value);

// Appends line to the section (created if missing) even when its key is
// already there. Written to disk at the next flush.
void AppendProfileLine(const std::string& fileName, const std::string& section,
                       const std::string& line);

// Removes the first line with that key. Written to disk at the next flush.
void DeleteProfileKey(const std::string& fileName, const std::string& section,
                      const std::string& key);

// Destroys every cached object in cache order (each writes its changes and
// closes its file) and empties the cache. Never throws.
void FlushProfileCache();

// FlushProfileCache for every cached object but the one for the name, which
// stays cached as it is.
void FlushProfileCacheExcept(const std::string& name);

// ===========================================================================
// Registry access by path
//
// Every key and value is named by one string, root name first: "HKCR",
// "HKCU", "HKLM" or "HKU", exactly so, or HKCR, HKCU and HKLM with a view
// ("HKLM64"; grammar in core/epRegPath.h). A value
// name holding backslashes is written between single quotes, a quote inside
// them doubled: HKLM\Software\X\'C:\dir\it''s.dll'. The operations that act
// on a key take the whole path as the key (a trailing backslash is optional).
//
// No operation throws, shows or logs anything: a path whose root is not
// recognised, a key that cannot be opened, a value that does not exist give
// false, the default or an empty list. Every key handle opened is closed
// before the operation returns. Nothing is kept between calls. When a write
// or a deletion gives false because the registry refused (a key that would
// not open or a call that failed), GetLastError() then holds the registry's
// error code.
//
// Views: every operation works in one view of 64-bit Windows. A root name
// with a view (HKLM32, HKLM64) decides it; otherwise the view argument does,
// whose default, Native, is the one this program sees by itself. A key in a
// view that this system does not have (64-bit on 32-bit Windows) does not
// exist: reads find nothing, writes and deletions fail with
// ERROR_FILE_NOT_FOUND. A deletion opens every key of the tree in the view.
// ===========================================================================

// Root, subkey path and value name of a value path. False (root null) when
// the root name is not recognised; the subkey path is empty for the root
// itself and the value name is empty for a key's default value.
bool SplitRegistryPath(const std::string& path, HKEY& root, std::string& subKey,
                       std::string& valueName);

// Reads the value's data, of any type, into data. On entry size is the
// buffer's size in bytes; on success it is the number of bytes read. False
// when the value is missing or does not fit (size then holds what it needs).
bool ReadRegistryValue(const std::string& path, void* data, DWORD& size,
                       TView view = TView::Native);

// The value as a signed 32-bit little-endian integer; a value of fewer than
// 4 bytes is zero-extended. def when the value is missing or longer than 4 bytes.
std::int32_t ReadRegistryInteger(const std::string& path, std::int32_t def,
                                 TView view = TView::Native);

// Sets the value with that type, creating every missing key along the path.
bool WriteRegistryValue(const std::string& path, DWORD type, const void* data, DWORD size,
                        TView view = TView::Native);

// Sets the value as a REG_DWORD, creating every missing key along the path.
bool WriteRegistryInteger(const std::string& path, std::int32_t value,
                          TView view = TView::Native);

// True when the value exists (any type).
bool RegistryValueExists(const std::string& path, TView view = TView::Native);

// True when the key opens for reading. A path that names a root key alone
// ("HKLM", "HKLM\") is refused: false.
bool RegistryKeyExists(const std::string& path, TView view = TView::Native);

// Deletes the value; false when it or its key does not exist.
bool DeleteRegistryValue(const std::string& path, TView view = TView::Native);

// Deletes the key with all its subkeys (deepest first) and values. True when
// the key itself was deleted, whatever became of the items below it. A
// protected key (IsProtectedRegistryKey: a root key, a key directly under a
// hive, a system key or an ancestor of one) is refused before anything is
// touched: false.
bool DeleteRegistryKey(const std::string& path, TView view = TView::Native);

// Deletes the value the path names or, when no such value exists, the key
// it names (DeleteRegistryKey). True when something was deleted. A value
// that many programs share (IsSharedRegistryValue) is refused: false.
bool DeleteRegistryEntry(const std::string& path, TView view = TView::Native);

// Deletes one entry after another as DeleteRegistryEntry does, with the same
// answers, but keeps the key of the last value it deleted open for the next
// path: consecutive values of one key cost one request each to the registry
// instead of six. The one exception to "nothing is kept between calls";
// the key closes when the object dies. Every path is taken in the view given
// to the constructor, unless its root names its own.
class TRegistryEntryDeleter {
public:
    explicit TRegistryEntryDeleter(TView view = TView::Native) : view_(view) {}
    bool Delete(const std::string& path);

private:
    bool OpenKeyOf(const TRegistryPath& parts);

    TView view_;
    TView keyView_ = TView::Native;
    TRegistryRoot root_ = TRegistryRoot::None;
    std::string subKey_;
    UniqueHkey key_;
};

// The value's type and its data bytes, whatever their size. False when the
// value or its key does not exist or cannot be read.
bool ReadRegistryData(const std::string& path, DWORD& type, std::string& data,
                      TView view = TView::Native);

// Replaces the list's lines by the names of the key's direct subkeys, in
// enumeration order; empty when the key cannot be opened.
void ListRegistrySubkeys(const std::string& path, TStringList& list,
                         TView view = TView::Native);

// Replaces the list's lines by the names of the key's values, in
// enumeration order; empty when the key cannot be opened.
void ListRegistryValueNames(const std::string& path, TStringList& list,
                            TView view = TView::Native);

// Replaces the list's lines by "name=text" for each REG_SZ and REG_EXPAND_SZ
// value (not expanded, cut at its first zero byte) and "name=number" for each
// REG_DWORD value (signed decimal); values of other types are left out.
// Empty when the key cannot be opened.
void ListRegistryValues(const std::string& path, TStringList& list,
                        TView view = TView::Native);

// The two views of 64-bit Windows: a 32-bit program sees the registry's
// 32-bit view (HKLM\SOFTWARE\Wow6432Node, HKCR's own 32-bit keys) and finds
// SysWOW64 where it asks for System32; a 64-bit program sees the real keys
// and the real System32. An installation log says in which view its
// installer worked, and a registry line may name its own.
#pragma once

#include <optional>
#include <string_view>

enum class TView {
    Native,  // whatever the running program itself sees: no view asked for
    Bits32,  // the 32-bit view
    Bits64,  // the 64-bit view
};

// The view that the text of "[Options] View=" names: "32" or "64", exactly
// so; nothing for any other text.
std::optional<TView> ViewByName(std::string_view text);

// The view of a log whose "[Options] View=" value is text: the one it names,
// and Bits32 when the value is missing or names none. Bits32 is what a
// 32-bit installer writes and what a 32-bit uninstaller has always seen, so a
// log written before the option existed keeps its meaning in either build.
TView LogViewOf(std::string_view text);

// The view an entry is in: its own (a root such as HKLM64 gives one), else
// the log's.
TView EntryView(TView own, TView log);

// "32-bit view", "64-bit view" or "own view" (Native), for messages.
const char* ViewName(TView view);

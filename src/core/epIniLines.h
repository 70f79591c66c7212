// Removing entries from another program's INI file without touching anything
// else in it: the file keeps every byte but the lines of the entries removed
// (comments, lines without "=", entries before the first header, later
// sections of the same name, blank lines, spacing, quotes, line ends and a
// UTF-8 byte-order mark all stay as they were).
//
// Which line goes is what TepIniModel::DeleteKey removes from the model of the
// same bytes: the first line with the key (compared as the model compares
// keys) in the first section of that name. So the model and the bytes stay in
// step: the model of Text() is the model after the same removals.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/epIniFile.h"

// True when the file's bytes may be written back: false for a file that starts
// with a UTF-16 byte-order mark or holds a NUL byte anywhere, whose lines the
// parser cannot take for what they are.
bool IsRewritableIniText(std::string_view bytes);

class TIniLineEditor {
public:
    // Takes the file's bytes as they were loaded, read with the parser's options.
    TIniLineEditor(std::string bytes, const TIniOptions& options);

    // Removes the first line with the key in the first section of that name.
    // True when a line was removed; false (nothing changes) when the section
    // or the key is missing.
    bool DeleteKey(std::string_view section, std::string_view key);

    // True once a line has been removed.
    bool Modified() const { return modified_; }

    // The bytes without the removed lines (each with its line end).
    std::string Text() const;

private:
    struct Entry {
        std::size_t Line;  // index into lines_
        std::string Key;   // text before the first "=" of the stored entry
        bool Removed = false;
    };
    struct Section {
        std::string Name;
        std::vector<Entry> Entries;  // in file order
    };

    std::string bytes_;
    std::vector<TIniTextLine> lines_;
    std::vector<Section> sections_;  // first section of each header line, in file order
    std::vector<bool> removed_;      // per line
    bool modified_ = false;
};

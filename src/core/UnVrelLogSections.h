// The sections of the installation log that the program reads, in the order a
// run takes them, with the message that titles each one's status line.
#pragma once

#include <cstddef>
#include <string_view>

// How a section's line names its item.
enum class TItemForm {
    None,       // read by key (Strings, Display, Options): no items
    EntryKey,   // the text before the line's last "="
    NamePart,   // the text before the line's first "=" (AddReg, AddIni)
    Program,    // the value: program,parameters,directory,show,status text
};

struct TLogSectionInfo {
    std::string_view Name;
    int Message;  // the status line's message number; 0 when it has none
    TItemForm Form;
};

// Strings, Display, Options, then PreRunApp, the eight removal sections in their
// phase order (AddReg and CreateKeys share one phase), and RunApp.
constexpr TLogSectionInfo kLogSections[] = {
    {"Strings", 0, TItemForm::None},
    {"Display", 0, TItemForm::None},
    {"Options", 0, TItemForm::None},
    {"PreRunApp", 0, TItemForm::Program},
    {"SharedFiles", 14, TItemForm::EntryKey},
    {"Shortcuts", 10, TItemForm::EntryKey},
    {"AddIni", 9, TItemForm::NamePart},
    {"RegFonts", 13, TItemForm::EntryKey},
    {"AddReg", 7, TItemForm::NamePart},
    {"CreateKeys", 8, TItemForm::EntryKey},
    {"RegServers", 12, TItemForm::EntryKey},
    {"CopyFiles", 6, TItemForm::EntryKey},
    {"CreateDirs", 11, TItemForm::EntryKey},
    {"RunApp", 0, TItemForm::Program},
};

constexpr std::size_t kLogSectionCount = sizeof(kLogSections) / sizeof(kLogSections[0]);

// The section of that name, compared ignoring case as the reader compares
// section names; nullptr for a section the program does not read.
const TLogSectionInfo* FindLogSection(std::string_view name);

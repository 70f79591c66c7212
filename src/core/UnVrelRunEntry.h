// The entries of "PreRunApp" and "RunApp": the value of each line holds up to
// five comma-separated fields, program,parameters,directory,show,status text.
#pragma once

#include <string>
#include <string_view>

// The shell's show commands that the show field chooses among.
constexpr int kShowHide = 0;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;
constexpr int kShowNormal = 5;

struct TRunEntry {
    std::string Program;     // field 1, without its double quotes
    std::string Parameters;  // field 2, as it stands
    std::string Directory;   // field 3, as it stands (empty: the shell's default)
    int Show = kShowNormal;  // field 4 mapped by ShowCommandOf
    std::string StatusText;  // field 5, without its double quotes (empty: no status line)
};

// The show command for the show field: 0 hidden, 1 normal, 2 maximised,
// 3 minimised; any other number, or a text that is no number, normal.
int ShowCommandOf(std::string_view field);

// The fields of an entry's value (the text after the line's first "="), split
// at the commas outside quotes. A missing field is empty.
TRunEntry ParseRunEntry(std::string_view value);

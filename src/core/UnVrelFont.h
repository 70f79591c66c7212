// The banner title's font setting: "face,size,colour,style" from the log.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Style flags of the title font.
enum : std::uint32_t {
    kFontBold = 1,
    kFontItalic = 2,
    kFontUnderline = 4,
    kFontStrikeOut = 8,
};

// The longest face name a logical font holds (its field has room for 31
// bytes and the terminating NUL).
constexpr std::size_t kMaxFaceNameLength = 31;

struct TTitleFont {
    std::string Face;        // may be empty (the system chooses) or longer than a font holds
    std::int32_t Size = 8;   // points
    std::uint32_t Colour = 0;  // COLORREF 0x00BBGGRR
    std::uint32_t Style = 0;   // kFont* flags
};

// The style flags spelt by letters: "B" bold, "I" italic, "U" underline,
// "S" struck out, upper case only; other characters are ignored.
std::uint32_t ParseFontStyle(std::string_view letters);

// The four comma-separated fields of a title font setting; a size that does
// not convert is 8, a colour that does not convert is 0 (black).
TTitleFont ParseTitleFont(std::string_view spec);

// The face name cut to what a logical font holds.
std::string FitFaceName(std::string_view face);

// Fuzz target for the log's comma-separated settings: the banner's title font
// ("Display", DialogTitleFont) and the entries of the programs to run
// ("PreRunApp", "RunApp"). No input may crash or read outside its string, and
// every field stays within what the value holds.
#include "core/UnVrelFont.h"
#include "core/UnVrelRunEntry.h"

#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void CheckTitleFont(std::string_view value) {
    const TTitleFont font = ParseTitleFont(value);
    Require(font.Face.size() <= value.size());
    Require(FitFaceName(font.Face).size() <= kMaxFaceNameLength);
    Require((font.Style & ~std::uint32_t{kFontBold | kFontItalic | kFontUnderline |
                                         kFontStrikeOut}) == 0);
    Require(ParseFontStyle(value) == (ParseFontStyle(value) & 15u));
}

void CheckRunEntry(std::string_view value) {
    const TRunEntry entry = ParseRunEntry(value);
    for (const std::string* field :
         {&entry.Program, &entry.Parameters, &entry.Directory, &entry.StatusText})
        Require(field->size() <= value.size());
    Require(entry.Show == kShowHide || entry.Show == kShowNormal ||
            entry.Show == kShowMaximized || entry.Show == kShowMinimized);
    Require(ShowCommandOf(value) == ParseRunEntry("p,a,d," + std::string(value)).Show ||
            value.find_first_of(",'\"") != std::string_view::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view value(reinterpret_cast<const char*>(data), size);
    CheckTitleFont(value);
    CheckRunEntry(value);
    return 0;
}

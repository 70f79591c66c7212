// Reading the banner title's font setting.
#include "core/UnVrelFont.h"

#include "core/epStrUtils.h"
#include "core/sysutilNumbers.h"

std::uint32_t ParseFontStyle(std::string_view letters) {
    std::uint32_t style = 0;
    for (const char c : letters) {
        switch (c) {
            case 'B': style |= kFontBold; break;
            case 'I': style |= kFontItalic; break;
            case 'U': style |= kFontUnderline; break;
            case 'S': style |= kFontStrikeOut; break;
            default: break;
        }
    }
    return style;
}

TTitleFont ParseTitleFont(std::string_view spec) {
    TTitleFont font;
    font.Face = GetField(1, spec, CommaSet());
    font.Size = StrToIntDef(GetField(2, spec, CommaSet()), 8);
    font.Colour = static_cast<std::uint32_t>(ToIntegerOrZero(GetField(3, spec, CommaSet())));
    font.Style = ParseFontStyle(GetField(4, spec, CommaSet()));
    return font;
}

std::string FitFaceName(std::string_view face) {
    return std::string(face.substr(0, kMaxFaceNameLength));
}

// Reading the banner title's font setting.
#include <gtest/gtest.h>

#include "core/UnVrelFont.h"

TEST(ParseTitleFont, DefaultSetting) {
    const TTitleFont font = ParseTitleFont("Arial,14,0,B");
    EXPECT_EQ(font.Face, "Arial");
    EXPECT_EQ(font.Size, 14);
    EXPECT_EQ(font.Colour, 0u);
    EXPECT_EQ(font.Style, static_cast<std::uint32_t>(kFontBold));
}

TEST(ParseTitleFont, AllFieldsRead) {
    const TTitleFont font = ParseTitleFont("Times New Roman,20,255,BIU");
    EXPECT_EQ(font.Face, "Times New Roman");
    EXPECT_EQ(font.Size, 20);
    EXPECT_EQ(font.Colour, 255u);
    EXPECT_EQ(font.Style, static_cast<std::uint32_t>(kFontBold | kFontItalic | kFontUnderline));
    EXPECT_EQ(ParseTitleFont("X,$10,$FF00,S").Colour, 0xFF00u);
    EXPECT_EQ(ParseTitleFont("X,$10,$FF00,S").Size, 16);
}

TEST(ParseTitleFont, FieldsThatDoNotConvertTakeTheirDefaults) {
    const TTitleFont font = ParseTitleFont("Arial,big,red,b");
    EXPECT_EQ(font.Size, 8);
    EXPECT_EQ(font.Colour, 0u);
    EXPECT_EQ(font.Style, 0u);  // lower case letters are not styles
    const TTitleFont empty = ParseTitleFont("");
    EXPECT_EQ(empty.Face, "");
    EXPECT_EQ(empty.Size, 8);
    EXPECT_EQ(empty.Colour, 0u);
    EXPECT_EQ(empty.Style, 0u);
    EXPECT_EQ(ParseTitleFont("Arial, 12").Size, 12);  // leading blanks are allowed
    EXPECT_EQ(ParseTitleFont("Arial,12pt").Size, 8);
}

TEST(ParseFontStyle, LettersRepeatInAnyOrderAndOthersAreIgnored) {
    EXPECT_EQ(ParseFontStyle("SUIB"), static_cast<std::uint32_t>(kFontBold | kFontItalic |
                                                                  kFontUnderline | kFontStrikeOut));
    EXPECT_EQ(ParseFontStyle("BBx-I"), static_cast<std::uint32_t>(kFontBold | kFontItalic));
    EXPECT_EQ(ParseFontStyle("biu"), 0u);
}

TEST(FitFaceName, LongNamesAreCutToWhatAFontHolds) {
    EXPECT_EQ(FitFaceName("Arial"), "Arial");
    const std::string longName(40, 'F');
    EXPECT_EQ(FitFaceName(longName).size(), kMaxFaceNameLength);
    EXPECT_EQ(FitFaceName(std::string(31, 'G')), std::string(31, 'G'));
}

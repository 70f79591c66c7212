// Appending a line whose key may repeat: the one model change that does not
// write by key (wininit.ini's "Rename" section lists every deletion as NUL=).
#include <gtest/gtest.h>

#include <string>

#include "core/epIniFile.h"

namespace {

TEST(IniAppendLine, KeepsEveryLineWithTheSameKeyAndForeignLines) {
    TepIniModel model(AllIniOptions());
    model.LoadText("[Rename]\r\nC:\\NEW.DLL=C:\\OLD.DLL\r\nNUL=C:\\A.TMP\r\n[Other]\r\nk=v\r\n");
    model.CurSection = 1;  // a search that starts elsewhere still finds the section
    model.AppendLine("rename", "NUL=C:\\B.TMP");
    model.AppendLine("Rename", "NUL=C:\\B.TMP");
    EXPECT_TRUE(model.Modified);
    EXPECT_EQ(FormatIniText(model.Sections),
              "[Rename]\r\nC:\\NEW.DLL=C:\\OLD.DLL\r\nNUL=C:\\A.TMP\r\nNUL=C:\\B.TMP\r\n"
              "NUL=C:\\B.TMP\r\n\r\n[Other]\r\nk=v\r\n\r\n");
    // Reads by key still give the first line.
    EXPECT_EQ(model.ReadString("Rename", "NUL", "-"), "C:\\A.TMP");
}

TEST(IniAppendLine, CreatesAMissingSectionAtTheEnd) {
    TepIniModel model(AllIniOptions());
    model.LoadText("[Other]\r\nk=v\r\n");
    model.AppendLine("Rename", "NUL=C:\\A.TMP");
    EXPECT_TRUE(model.Modified);
    EXPECT_EQ(FormatIniText(model.Sections), "[Other]\r\nk=v\r\n\r\n[Rename]\r\nNUL=C:\\A.TMP\r\n\r\n");
}

}  // namespace

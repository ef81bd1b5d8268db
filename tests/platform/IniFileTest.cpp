#include "platform/IniFile.h"
#include "platform/TextFile.h"
#include "support/FileSizeLimit.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace dilato {
namespace {

TEST(IniFile, LookupIsCaseInsensitiveAndTrimmed) {
    const std::vector<std::string> lines = {"[General]", "  Keyence_Comport = 3 ", "Quoted=\"a b\"",
                                            "[other]", "Keyence_Comport=9"};
    EXPECT_EQ(IniLookup(lines, "general", "KEYENCE_COMPORT"), "3");
    EXPECT_EQ(IniLookup(lines, "GENERAL", "quoted"), "a b");
    EXPECT_EQ(IniLookup(lines, "Other", "keyence_comport"), "9");
    EXPECT_EQ(IniLookup(lines, "General", "Missing"), "");
    EXPECT_EQ(IniLookup(lines, "Nowhere", "Keyence_Comport"), "");
}

TEST(IniFile, LongValuesAreReadWhole) {
    // A lab's network folder or a serial device's path can be longer than a hundred
    // characters: cut on reading, the next save would write the cut path back.
    const std::string longValue(300, 'x');
    std::string micro;
    for (int i = 0; i < 150; ++i)
        micro += "\xC2\xB5";
    const std::vector<std::string> lines = {"[S]", "k=" + longValue, "u=\"" + micro + "\""};
    EXPECT_EQ(IniLookup(lines, "S", "k"), longValue);
    EXPECT_EQ(IniLookup(lines, "S", "u"), micro) << "whole characters, quotes taken off";
}

TEST(IniFile, AssignReplacesInPlaceAppendsToSectionAndAddsSections) {
    std::vector<std::string> lines = {"[A]", "one=1", "two=2", "", "[B]", "x=1"};
    IniAssign(lines, "a", "TWO", "22");
    EXPECT_EQ(lines[2], "TWO=22") << "replaced where it stood";
    IniAssign(lines, "A", "three", "3");
    EXPECT_EQ((std::vector<std::string>{"[A]", "one=1", "TWO=22", "three=3", "", "[B]", "x=1"}),
              lines)
        << "appended after the section's last line, before the blank line";
    IniAssign(lines, "C", "k", "");
    EXPECT_EQ(lines[lines.size() - 2], "[C]");
    EXPECT_EQ(lines.back(), "k=");
}

TEST(IniFile, AValueOrKeyWithLineBreaksStaysOneLine) {
    test::TempFolder dir;
    const std::string file = dir.path() + "s.ini";
    WriteIniValue(file, "S", "Sample ID", "Cu\r\n[X]\r\nY=1\xC2\x85");
    WriteIniValue(file, "S", "k\nZ", "2");
    EXPECT_EQ(ReadTextLines(file),
              (std::vector<std::string>{"[S]", "Sample ID=Cu  [X]  Y=1 ", "k Z=2"}));
    EXPECT_EQ(ReadIniValue(file, "X", "Y"), "");
}

TEST(IniFile, FileRoundTripKeepsOrderAndWritesCp1252WithCrLf) {
    test::TempFolder dir;
    const std::string file = dir.file("x.ini");
    WriteIniValue(file, "General", "First", "1");
    WriteIniValue(file, "General", "Second",
                  "25 \xC2\xB0"
                  "C");
    WriteIniValue(file, "Other", "K", "v");
    WriteIniValue(file, "General", "First", "one");
    EXPECT_EQ(dir.read("x.ini"), "[General]\r\nFirst=one\r\nSecond=25 \xB0"
                                 "C\r\n[Other]\r\nK=v\r\n");
    EXPECT_EQ(ReadIniValue(file, "general", "second"), "25 \xC2\xB0"
                                                       "C");
    EXPECT_EQ(ReadIniValue(dir.file("missing.ini"), "General", "First"), "");
}

TEST(IniFile, JunkAndFoldersReadAsEmptyAndAFailedWriteKeepsTheFile) {
    test::TempFolder dir;
    const std::string junk = dir.write("junk.ini", std::string("\x00\xFF[\x01=\n=\n[]\n==\n", 13));
    EXPECT_EQ(ReadIniValue(junk, "General", "k"), "");
    EXPECT_NO_THROW(WriteIniValue(junk, "General", "k", "v"));
    EXPECT_EQ(ReadIniValue(junk, "General", "k"), "v");

    const std::string folder = dir.path() + "folder.ini";
    std::filesystem::create_directory(folder);
    EXPECT_EQ(ReadIniValue(folder, "General", "k"), "");
    EXPECT_THROW(WriteIniValue(folder, "General", "k", "v"), FileError);

    const std::string kept = dir.write("kept.ini", "[General]\r\nk=old\r\n");
    {
        test::FileSizeLimit full(4); // the rewrite runs out of room
        EXPECT_THROW(WriteIniValue(kept, "General", "k", "new"), FileError);
    }
    EXPECT_EQ(dir.read("kept.ini"), "[General]\r\nk=old\r\n");
}

TEST(IniFile, TheSummarysRuleLineIsOneKeyAndABomIsNoText) {
    test::TempFolder dir;
    const std::string file = dir.file("s.txt");
    for (int run = 0; run < 3; ++run) {
        WriteIniValue(file, "CTE Test Summary #0", "Sample ID", "Cu");
        WriteIniValue(file, "CTE Test Summary #0", "======", "=====");
    }
    EXPECT_EQ(dir.read("s.txt"), "[CTE Test Summary #0]\r\nSample ID=Cu\r\n============\r\n");

    const std::string bom = dir.write("bom.ini", "\xEF\xBB\xBF[General]\r\nk=v\r\n");
    EXPECT_EQ(ReadIniValue(bom, "General", "k"), "v");
}

} // namespace
} // namespace dilato

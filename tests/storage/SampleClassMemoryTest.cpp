// The material class remembered per sample ID, in the operator's own settings folder.
#include "storage/SampleClassMemory.h"

#include "platform/TextFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace dilato {
namespace {

TEST(SampleClassMemory, TheClassLastUsedForASampleIdIsRecalled) {
    test::TempFolder dir;
    const SampleClassMemory memory(dir.path() + "config/dilato/" + kSampleClassesFile);
    EXPECT_FALSE(memory.Recall("PMMA-7")) << "nothing kept yet, no folder yet";
    memory.Remember("PMMA-7", MaterialClass::Polymer);
    memory.Remember("Cu-1", MaterialClass::Metal);
    EXPECT_EQ(memory.Recall("PMMA-7"), MaterialClass::Polymer);
    EXPECT_EQ(memory.Recall(" PMMA-7 "), MaterialClass::Polymer) << "blanks around it";
    EXPECT_FALSE(memory.Recall("PMMA-8"));
    memory.Remember("PMMA-7", MaterialClass::Unknown); // the operator changed their mind
    EXPECT_EQ(memory.Recall("PMMA-7"), MaterialClass::Unknown);
    EXPECT_EQ(memory.Recall("Cu-1"), MaterialClass::Metal);
    // A blank ID is no sample; an ID with a tab or a line end cannot split its line.
    memory.Remember("   ", MaterialClass::Glass);
    EXPECT_FALSE(memory.Recall(""));
    memory.Remember("Si\tO2\nx", MaterialClass::Glass);
    EXPECT_EQ(memory.Recall("Si\tO2\nx"), MaterialClass::Glass);
    EXPECT_EQ(ReadTextLines(memory.path())->size(), 3u) << "one line per sample ID";

    // A program that was not told where the operator's settings are keeps nothing.
    const SampleClassMemory none;
    none.Remember("Cu-1", MaterialClass::Metal);
    EXPECT_FALSE(none.Recall("Cu-1"));
}

TEST(SampleClassMemory, TheFileIsReadAsDataAndKeepsTheLatestSampleIds) {
    test::TempFolder dir;
    const std::string path = dir.path() + kSampleClassesFile;
    // Lines another program or a hand may have left: only "class<TAB>ID" with a known class
    // counts.
    WriteFileAtomic(path, "polymer\tA\nrm -rf /\tB\n\tC\nmetal\n$(reboot)\nglass\tD\r\n"
                          "glass\tE\nmetal\tE\n");
    const SampleClassMemory memory(path);
    EXPECT_EQ(memory.Recall("A"), MaterialClass::Polymer);
    EXPECT_EQ(memory.Recall("E"), MaterialClass::Metal) << "of two lines the later";
    EXPECT_FALSE(memory.Recall("B"));
    EXPECT_FALSE(memory.Recall("C"));
    EXPECT_EQ(memory.Recall("D"), MaterialClass::Glass);

    // A full file: one more sample ID pushes the oldest out.
    std::string full;
    for (size_t i = 0; i < kSampleClassesKept; ++i)
        full += "metal\tS" + std::to_string(i) + "\n";
    WriteFileAtomic(path, full);
    memory.Remember("New", MaterialClass::Glass);
    EXPECT_EQ(ReadTextLines(path)->size(), kSampleClassesKept);
    EXPECT_FALSE(memory.Recall("S0")) << "the oldest goes first";
    EXPECT_EQ(memory.Recall("S1"), MaterialClass::Metal);
    EXPECT_EQ(memory.Recall("New"), MaterialClass::Glass);
}

// Sets an environment variable for the test's span and puts it back after.
class EnvironmentValue {
  public:
    EnvironmentValue(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~EnvironmentValue() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(SampleClassMemory, TheFileLivesInTheOperatorsOwnSettingsFolder) {
    struct Case {
        const char* config;
        const char* home;
        std::string path;
    } const cases[] = {
        {"/home/ann/.cfg", "/home/ann", "/home/ann/.cfg/dilato/sample-classes.txt"},
        {nullptr, "/home/ann", "/home/ann/.config/dilato/sample-classes.txt"},
        {"relative/cfg", "/home/ann", "/home/ann/.config/dilato/sample-classes.txt"},
        {nullptr, nullptr, ""},
        {"", "relative", ""},
    };
    for (const Case& c : cases) {
        const EnvironmentValue config("XDG_CONFIG_HOME", c.config);
        const EnvironmentValue home("HOME", c.home);
        EXPECT_EQ(OperatorSampleClassesPath(), c.path)
            << (c.config ? c.config : "(none)") << ", " << (c.home ? c.home : "(none)");
    }
}

} // namespace
} // namespace dilato

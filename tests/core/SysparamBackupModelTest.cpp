// The choice among the parameter backups: the list of serial numbers and the switch.

#include "storage/SystemParameterRig.h"

#include "core/SysparamBackupModel.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {

using test::kFieldFile;
using test::Rig;

TEST(SysparamBackupModel, SwitchesTheMainFileToAnotherSerialsBackup) {
    Rig r;
    r.dir.write("CTESysParam.dat", kFieldFile);
    ASSERT_TRUE(r.load());
    ASSERT_TRUE(r.save(SysFileCopy::Backup)); // CTESysParam1234.bak
    std::string other = kFieldFile;
    other.replace(other.find("SerialNumber=1234"), 17, "SerialNumber=5678");
    other.replace(other.find("TesterModel=2"), 13, "TesterModel=3");
    r.dir.write("CTESysParam5678.bak", other);
    r.dir.write("CTESysParam77.bak", "[SysParams]\r\nTesterModel=9\r\n"); // no plan

    SysparamBackupModel dialog(r.file);
    dialog.Activate();
    EXPECT_EQ(dialog.label(), "Present Serial #: 1234");
    EXPECT_EQ(dialog.SerialNumbers(), (std::vector<std::string>{"1234", "5678", "77"}));
    EXPECT_EQ(dialog.selected(), 0) << "the present serial number";
    EXPECT_FALSE(dialog.ChangeSerial()) << "the present one: nothing happens";
    EXPECT_TRUE(r.op.messages.empty());

    dialog.Select(2);
    EXPECT_FALSE(dialog.ChangeSerial()) << "a broken backup is not taken over";
    EXPECT_EQ(r.params.SysParam(slot::SerialNumber).number(), 1234) << "memory as before";
    EXPECT_EQ(r.params.SysParam(slot::TesterModel).number(), 2);
    EXPECT_EQ(r.dir.read("CTESysParam.dat"), kFieldFile);

    dialog.Select(1);
    EXPECT_TRUE(dialog.ChangeSerial());
    EXPECT_EQ(r.params.SysParam(slot::TesterModel).number(), 3);
    EXPECT_EQ(r.dir.read("CTESysParam.dat"), other);

    r.params.SysParam(slot::SerialNumber) = 42;
    dialog.Activate();
    EXPECT_EQ(dialog.selected(), 0) << "no entry for 42: the first";
}

} // namespace
} // namespace dilato

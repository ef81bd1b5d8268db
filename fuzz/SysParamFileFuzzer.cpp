// The system parameter file load on arbitrary bytes. A file that loads must save, and the
// saved file must load again: a save never writes what the program cannot read back.

#include "FuzzSupport.h"

#include "platform/TextFile.h"
#include "storage/SystemParameterFile.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace dilato;
    static fuzz::ScratchFolder scratch;
    fuzz::SilentOperator op;
    const Folders folders(scratch.path(), scratch.path());
    WriteFileAtomic(folders.SysFolder + kSysParamFile,
                    std::string_view(reinterpret_cast<const char*>(data), size));

    SystemParameters params;
    SystemParameterFile file(params, folders, op);
    if (!file.ReadWriteSysFile(SysFileAccess::Load, false, SysFileCopy::Main)) return 0;
    if (!file.ReadWriteSysFile(SysFileAccess::Save, false, SysFileCopy::Main)) __builtin_trap();
    SystemParameters again;
    SystemParameterFile reread(again, folders, op);
    if (!reread.ReadWriteSysFile(SysFileAccess::Load, false, SysFileCopy::Main)) __builtin_trap();
    // the options that the load adjusts stay adjusted
    const double accuracy = again.SysParam(slot::AccuracyOption).number();
    if (accuracy < 1 || accuracy > 2) __builtin_trap();
    if (again.SysParam(slot::NumberOfBatchTests).number() == 0) __builtin_trap();
    (void)file.BackupFileName();
    return 0;
}

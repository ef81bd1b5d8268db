#include "storage/Folders.h"

#include "platform/Files.h"

namespace dilato {

Folders::Folders(const std::string& programFolder, const std::string& systemFolder)
    : AppFolder(WithTrailingSeparator(programFolder)),
      SysFolder(WithTrailingSeparator(systemFolder)), DataPath(SysFolder + "Data/"),
      LogFolder(SysFolder + "LogFiles/"), HelpFile(AppFolder + "Dilato.chm") {}

} // namespace dilato

#include "platform/SingleCopyLock.h"

#include <QDir>
#include <QFileInfo>

namespace dilato {

SingleCopyLock::SingleCopyLock(const std::string& systemFolder)
    : file_(QDir(QString::fromStdString(systemFolder)).filePath(QStringLiteral("Dilato.lock"))) {
    file_.setStaleLockTime(0); // a live program never loses its lock to age
}

bool SingleCopyLock::tryLock() {
    if (file_.isLocked()) return true;
    QDir().mkpath(QFileInfo(file_.fileName()).absolutePath());
    return file_.tryLock(0);
}

} // namespace dilato

#include "ui/results/DesktopOpener.h"

#include "platform/DesktopChecks.h"
#include "platform/Files.h"

#include <QDesktopServices>
#include <QMimeDatabase>
#include <QUrl>

namespace dilato {

bool DesktopOpener::Open(const std::string& path) {
    const QString file = QString::fromStdString(path);
    if (!IsFile(path)) return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
    bool registered = false;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(file);
    for (const QString& name : QStringList{type.name()} + type.allAncestors())
        registered = registered || ProgramRegistered(name.toStdString());
    return registered && QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

} // namespace dilato

#include "platform/DesktopChecks.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTextStream>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace dilato {

namespace {

constexpr const char* kPdfType = "application/pdf";
constexpr int kRaisedNice = -5;

QStringList Folders(const char* variable, const QString& fallback) {
    const QString value = qEnvironmentVariable(variable);
    return (value.isEmpty() ? fallback : value).split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

// A "type=program.desktop;..." line names at least one program for the type.
bool NamesProgram(const QString& line, const QString& type) {
    const QString key = type + QLatin1Char('=');
    if (!line.startsWith(key)) return false;
    for (const QString& entry : line.mid(key.size()).split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (!entry.trimmed().isEmpty()) return true;
    return false;
}

} // namespace

bool MonetaryDecimalIsPoint(const QLocale& locale) {
    const QString money = locale.toCurrencyString(1.25, QStringLiteral(" "), 2);
    return money.contains(QStringLiteral("1.25"));
}

bool PdfViewerListed(const std::vector<std::string>& files) {
    return ProgramListed(files, kPdfType);
}

bool ProgramListed(const std::vector<std::string>& files, const std::string& mimeType) {
    const QString type = QString::fromStdString(mimeType);
    for (const auto& name : files) {
        QFile file(QString::fromStdString(name));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) continue;
        QTextStream in(&file);
        QString section;
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            if (line.startsWith(QLatin1Char('['))) {
                section = line;
                continue;
            }
            // A removed association names a program that must not open PDF files.
            if (section != QLatin1String("[Removed Associations]") && NamesProgram(line, type))
                return true;
        }
    }
    return false;
}

bool PdfViewerRegistered() {
    return ProgramRegistered(kPdfType);
}

bool ProgramRegistered(const std::string& mimeType) {
    const QString home = QDir::homePath();
    QStringList configFolders = Folders("XDG_CONFIG_HOME", home + QStringLiteral("/.config"));
    configFolders += Folders("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    QStringList dataFolders = Folders("XDG_DATA_HOME", home + QStringLiteral("/.local/share"));
    dataFolders += Folders("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
    std::vector<std::string> files;
    for (const QString& f : configFolders)
        files.push_back((f + QStringLiteral("/mimeapps.list")).toStdString());
    for (const QString& f : dataFolders) {
        files.push_back((f + QStringLiteral("/applications/mimeapps.list")).toStdString());
        files.push_back((f + QStringLiteral("/applications/mimeinfo.cache")).toStdString());
    }
    return ProgramListed(files, mimeType);
}

void RaisePriority() {
#ifdef Q_OS_UNIX
    // Only a privileged user may lower the nice value; a refusal leaves the priority as it is.
    (void)setpriority(PRIO_PROCESS, 0, kRaisedNice);
#endif
}

} // namespace dilato

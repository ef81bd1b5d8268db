#include "report/PdfFileSink.h"

#include "platform/TextFile.h"

#include <QDir>
#include <QFileInfo>

namespace dilato {

namespace {

std::string Description(const QFileDevice& file) {
    switch (file.error()) {
    case QFileDevice::PermissionsError:
        return "Permission denied";
    case QFileDevice::ResourceError:
        return "Disk full";
    default:
        break;
    }
    const std::string text = file.errorString().toStdString();
    return text.empty() ? std::string("File I/O error") : text;
}

} // namespace

PdfFileSink::PdfFileSink(const std::string& path)
    : path_(path), file_(std::make_unique<QSaveFile>(QString::fromStdString(path))) {
    const QFileInfo target(QString::fromStdString(path));
    if (!target.absoluteDir().exists()) throw FileError("Path not found");
    if (target.isDir()) throw FileError("Path/File access error");
    if (!file_->open(QIODevice::WriteOnly)) throw FileError(Description(*file_));
}

void PdfFileSink::write(std::string_view bytes) {
    const auto size = static_cast<qint64>(bytes.size());
    if (size == 0) return;
    if (file_->write(bytes.data(), size) != size) throw FileError(Description(*file_));
    offset_ += size;
}

void PdfFileSink::line(std::string_view text) {
    write(text);
    write("\r\n");
}

void PdfFileSink::object(int number, std::string_view body) {
    offsets_[number] = offset_;
    write(body);
}

void PdfFileSink::commit() {
    if (!file_->commit()) throw FileError(Description(*file_));
}

} // namespace dilato

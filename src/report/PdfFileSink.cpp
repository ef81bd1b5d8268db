#include "report/PdfFileSink.h"

#include "platform/TextFile.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace dilato {

namespace {

// The report's own short texts for the failures an operator can act on.
std::string Description(const FileError& e) {
    switch (e.code()) {
    case EACCES:
    case EPERM:
    case EROFS:
        return "Permission denied";
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
        return "Disk full";
    default:
        return e.what();
    }
}

} // namespace

PdfFileSink::PdfFileSink(const std::string& path) : path_(path) {
    const QFileInfo target(QString::fromStdString(path));
    if (!target.absoluteDir().exists()) throw FileError("Path not found");
    if (target.isDir()) throw FileError("Path/File access error");
    try {
        file_ = std::make_unique<FileReplacement>(path);
    } catch (const FileError& e) {
        throw FileError(Description(e), e.code());
    }
}

void PdfFileSink::write(std::string_view bytes) {
    if (bytes.empty()) return;
    try {
        file_->write(bytes);
    } catch (const FileError& e) {
        throw FileError(Description(e), e.code());
    }
    offset_ += static_cast<long long>(bytes.size());
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
    try {
        file_->commit();
    } catch (const FileError& e) {
        throw FileError(Description(e), e.code());
    }
}

} // namespace dilato

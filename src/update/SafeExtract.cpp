#include "update/SafeExtract.h"

#include "update/HeldFile.h"

#include <QDir>
#include <algorithm>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <set>
#include <variant>
#include <zip.h>

namespace dilato {

namespace fs = std::filesystem;

namespace {

constexpr zip_uint32_t kUnixTypeMask = 0170000;
constexpr zip_uint32_t kUnixRegularFile = 0100000;

struct Entry {
    zip_uint64_t index = 0;
    std::string base;
    std::int64_t declaredSize = 0;
};

struct OpenArchive {
    zip_t* zip = nullptr;
    ~OpenArchive() {
        if (zip != nullptr) zip_discard(zip);
    }
};

struct OpenEntry {
    zip_file_t* file = nullptr;
    ~OpenEntry() {
        if (file != nullptr) zip_fclose(file);
    }
};

ExtractResult Refused(const std::string& why) {
    return {false, "The update archive could not be extracted: " + why, {}};
}

std::string ZipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

std::string BaseNameOf(const std::string& path) {
    return fs::path(path).filename().string();
}

// Links, devices, pipes and folders without a trailing "/" carry their type in the Unix mode
// of the entry; archives made elsewhere carry no type and hold plain files.
bool IsPlainFile(zip_t* zip, zip_uint64_t index) {
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(zip, index, 0, &system, &attributes) != 0) return false;
    if (system != ZIP_OPSYS_UNIX) return true;
    const zip_uint32_t type = (attributes >> 16) & kUnixTypeMask;
    return type == 0 || type == kUnixRegularFile;
}

// Reads the archive's table and checks every entry before anything is written.
std::variant<std::vector<Entry>, ExtractResult> PlanEntries(zip_t* zip, const std::string& archiveName,
                                                            const ExtractLimits& limits) {
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    if (count <= 0) return Refused("it holds no files.");
    if (count > limits.maxEntries)
        return Refused("it holds more than " + std::to_string(limits.maxEntries) + " entries.");

    const std::set<std::string> reserved{archiveName, archiveName + ".sig"};
    std::set<std::string> seen;
    std::vector<Entry> entries;
    std::int64_t declaredTotal = 0;
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(zip, i, 0, &st) != 0 || st.name == nullptr)
            return Refused("its table of contents is damaged.");
        const std::string name = st.name;
        const std::string base = FlatEntryName(name);
        if (IsFolderEntry(name)) {
            if (FlatEntryName(name.substr(0, name.size() - 1)).empty())
                return Refused("the entry \"" + name + "\" points outside the folder.");
            continue; // folders are not kept: the files land flat
        }
        if (base.empty()) return Refused("the entry \"" + name + "\" points outside the folder.");
        if (!IsPlainFile(zip, i))
            return Refused("the entry \"" + name + "\" is a link or a special file.");
        if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
            return Refused("the entry \"" + name + "\" is encrypted.");
        if (reserved.count(base) != 0)
            return Refused("the entry \"" + name + "\" would replace the archive itself.");
        if (!seen.insert(base).second)
            return Refused("the name \"" + base + "\" occurs twice.");
        const std::int64_t size = (st.valid & ZIP_STAT_SIZE) ? static_cast<std::int64_t>(st.size) : 0;
        declaredTotal += size;
        if (size < 0 || declaredTotal > limits.maxTotalBytes)
            return Refused("it would unpack to more than " + std::to_string(limits.maxTotalBytes) +
                           " bytes.");
        entries.push_back({i, base, size});
    }
    if (entries.empty()) return Refused("it holds no files.");
    return entries;
}

// Unpacks one entry into `content`, counting against the running total. "" when it went well.
std::string UnpackEntry(zip_t* zip, const Entry& entry, std::string& content, std::int64_t& total,
                        const ExtractLimits& limits) {
    OpenEntry in{zip_fopen_index(zip, entry.index, 0)};
    if (in.file == nullptr) return zip_strerror(zip);
    content.clear();
    char buffer[64 * 1024];
    for (;;) {
        const zip_int64_t n = zip_fread(in.file, buffer, sizeof buffer);
        if (n < 0) return zip_file_strerror(in.file);
        if (n == 0) break;
        total += n;
        // The stored sizes may lie; the bytes actually unpacked are what counts.
        if (total > limits.maxTotalBytes)
            return "it would unpack to more than " + std::to_string(limits.maxTotalBytes) + " bytes.";
        if (static_cast<std::int64_t>(content.size()) + n > entry.declaredSize)
            return "the entry \"" + entry.base + "\" unpacks to more bytes than it declares.";
        content.append(buffer, static_cast<std::size_t>(n));
    }
    const int closed = zip_fclose(in.file);
    in.file = nullptr;
    if (closed != 0) return ZipErrorText(closed);
    if (static_cast<std::int64_t>(content.size()) != entry.declaredSize)
        return "the entry \"" + entry.base + "\" is truncated.";
    return {};
}

std::string WriteNewFile(const QString& path, const std::string& content) {
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return out.errorString().toStdString();
    if (out.write(content.data(), static_cast<qint64>(content.size())) !=
            static_cast<qint64>(content.size()) ||
        !out.flush())
        return out.errorString().toStdString();
    return {};
}

// Moves the unpacked files into the folder. Files of the same name are set aside first and
// put back if any move fails, so the folder ends either wholly old or wholly new.
std::string MoveIntoPlace(const std::vector<Entry>& entries, const fs::path& staging,
                          const fs::path& folder) {
    std::vector<std::string> placed, setAside;
    std::error_code ec;
    for (const Entry& entry : entries) {
        const fs::path target = folder / entry.base;
        if (fs::exists(fs::symlink_status(target, ec))) {
            fs::rename(target, staging / ("old." + entry.base), ec);
            if (ec) break;
            setAside.push_back(entry.base);
        }
        fs::rename(staging / entry.base, target, ec);
        if (ec) break;
        placed.push_back(entry.base);
    }
    if (!ec) return {};
    const std::string why = ec.message();
    std::error_code undo;
    for (const std::string& base : placed) fs::remove(folder / base, undo);
    for (const std::string& base : setAside) fs::rename(staging / ("old." + base), folder / base, undo);
    return why;
}

} // namespace

bool IsFolderEntry(const std::string& entryName) {
    return !entryName.empty() && (entryName.back() == '/' || entryName.back() == '\\');
}

std::string FlatEntryName(const std::string& entryName) {
    std::string name = entryName;
    for (char& c : name)
        if (c == '\\') c = '/';
    if (name.empty() || name.front() == '/') return {};
    if (name.size() >= 2 && name[1] == ':') return {}; // a drive letter
    std::string component, last;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || name[i] == '/') {
            if (component == "..") return {};
            last = component;
            component.clear();
        } else {
            if (static_cast<unsigned char>(name[i]) < 0x20) return {};
            component += name[i];
        }
    }
    if (last.empty() || last == ".") return {};
    return last;
}

ExtractResult UnpackArchive(std::string_view archiveBytes, const std::string& archiveName,
                            const ExtractLimits& limits, const std::string& required,
                            const EntrySink& sink) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(archiveBytes.data(), archiveBytes.size(), 0, &error);
    OpenArchive zip{source == nullptr ? nullptr : zip_open_from_source(source, ZIP_RDONLY, &error)};
    if (zip.zip == nullptr) {
        if (source != nullptr) zip_source_free(source);
        const std::string why = zip_error_strerror(&error);
        zip_error_fini(&error);
        return Refused("it is damaged or not a zip archive (" + why + ").");
    }
    zip_error_fini(&error);

    auto plan = PlanEntries(zip.zip, archiveName, limits);
    if (auto* refused = std::get_if<ExtractResult>(&plan)) return *refused;
    const auto& entries = std::get<std::vector<Entry>>(plan);
    if (!required.empty() && std::none_of(entries.begin(), entries.end(), [&](const Entry& e) {
            return e.base == required;
        }))
        return Refused("it holds no " + required + ".");

    // Every entry is unpacked and checked before the first one is handed on.
    std::int64_t total = 0;
    std::vector<std::string> contents(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (const std::string why = UnpackEntry(zip.zip, entries[i], contents[i], total, limits);
            !why.empty())
            return Refused(why);
    ExtractResult result{true, {}, {}};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (sink)
            if (const std::string why = sink(entries[i].base, contents[i]); !why.empty())
                return Refused(why);
        result.files.push_back(entries[i].base);
    }
    return result;
}

ExtractResult ExtractFlat(std::string_view archiveBytes, const std::string& archiveName,
                          const std::string& folder, const ExtractLimits& limits,
                          const std::string& required) {
    const fs::path target(folder);
    QTemporaryDir staging(QString::fromStdString((target / ".extract-XXXXXX").string()));
    if (!staging.isValid()) return Refused(staging.errorString().toStdString());
    const fs::path stagingPath(staging.path().toStdString());
    std::vector<Entry> written;
    ExtractResult result = UnpackArchive(
        archiveBytes, archiveName, limits, required,
        [&](const std::string& base, const std::string& content) {
            written.push_back({0, base, 0});
            return WriteNewFile(QString::fromStdString((stagingPath / base).string()), content);
        });
    if (!result.ok) return result;
    if (const std::string why = MoveIntoPlace(written, stagingPath, target); !why.empty())
        return Refused(why);
    return result;
}

ExtractResult ExtractFlat(const std::string& archive, const std::string& folder,
                          const ExtractLimits& limits, const std::string& required) {
    const HeldFile held = ReadHeldFile(archive, limits.maxArchiveBytes);
    if (!held.ok) return Refused(held.problem);
    return ExtractFlat(held.bytes, BaseNameOf(archive), folder, limits, required);
}

} // namespace dilato

#include "results/Verify.h"

#include "platform/Files.h"
#include "results/TestRows.h"

namespace dilato::results {

const char* CheckText(FileCheck check) {
    switch (check) {
    case FileCheck::Changed: return "changed";
    case FileCheck::Missing: return "missing";
    default: return "unchanged";
    }
}

std::vector<CheckedFile> VerifyFiles(StoreConnection& store, const TestFilter& filter) {
    const WhereClause where = FilterClause(filter);
    QSqlQuery q = store.Prepare(
        QStringLiteral("SELECT f.test_uid, t.test_name, f.kind, f.path, f.sha256 FROM files f "
                       "JOIN tests t ON t.test_uid = f.test_uid WHERE %1 ORDER BY f.path")
            .arg(where.sql));
    for (const QVariant& v : where.values) q.addBindValue(v);
    store.Run(q);
    std::vector<CheckedFile> files;
    while (q.next()) {
        CheckedFile f{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                      q.value(3).toString()};
        const std::string path = f.path.toStdString();
        if (!IsFile(path)) {
            f.check = FileCheck::Missing;
        } else {
            const auto sha = FileSha256(path);
            if (!sha || QString::fromStdString(*sha) != q.value(4).toString())
                f.check = FileCheck::Changed;
        }
        files.push_back(std::move(f));
    }
    return files;
}

} // namespace dilato::results

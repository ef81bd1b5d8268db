#include "results/TestRows.h"

#include "platform/TextFile.h"
#include "storage/EvidenceSection.h"

#include <QCryptographicHash>

namespace dilato::results {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QVariant Maybe(const std::optional<float>& value) {
    return value ? QVariant(static_cast<double>(*value)) : QVariant();
}

// A text column left empty (NULL) when there is nothing to say.
QVariant Optional(const std::string& text) {
    return text.empty() ? QVariant() : QVariant(Q(text));
}

bool EndsWith(const std::string& s, const std::string& end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

} // namespace

QString IsoTime(const QDateTime& time) {
    if (!time.isValid()) return {};
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODate);
}

StoreRow TestRow(const QString& uid, const TestFacts& t) {
    QStringList setPoints;
    for (double sp : t.setPoints) setPoints << QString::number(sp);
    return StoreRow{"tests",
                    {{"row_key", uid},
                     {"test_uid", uid},
                     {"system_folder", Q(t.systemFolder)},
                     {"data_folder", Q(t.dataFolder)},
                     {"test_name", Q(t.testName)},
                     {"sample_id", Q(t.sampleId)},
                     {"material", t.material.empty() ? QVariant() : QVariant(Q(t.material))},
                     {"sample_length_in", static_cast<double>(t.sampleLength)},
                     {"length_units", Q(t.lengthUnits)},
                     {"operator_login", Q(t.operatorLogin)},
                     {"pc_name", Q(t.pcName)},
                     {"instrument_serial", Q(t.instrumentSerial)},
                     {"program_version", Q(t.programVersion)},
                     {"accuracy_option", t.accuracyOption},
                     {"set_points", setPoints.join(u',')},
                     {"initial_indicator_in", Maybe(t.initialIndicator)},
                     {"initial_temp_c", Maybe(t.initialTemp)},
                     {"started_at", t.started.isValid() ? QVariant(IsoTime(t.started)) : QVariant()},
                     {"ended_at", t.ended.isValid() ? QVariant(IsoTime(t.ended)) : QVariant()},
                     {"ending", Q(t.ending)},
                     {"origin", Q(t.origin)},
                     {"system_correction", Optional(t.systemCorrection)},
                     {"reference_material", Optional(t.referenceMaterial)},
                     {"reference_out_of_control",
                      t.referenceOutOfControl ? QVariant(*t.referenceOutOfControl ? 1 : 0)
                                              : QVariant()}}};
}

StoreRow TestEndRow(const QString& uid, const QDateTime& at, const std::string& how) {
    return StoreRow{"tests",
                    {{"row_key", uid}, {"test_uid", uid}, {"ended_at", IsoTime(at)}, {"ending", Q(how)}}};
}

StoreRow CalibrationRow(const QString& uid, const CalibrationInForce& c) {
    return StoreRow{"calibrations",
                    {{"row_key", uid},
                     {"test_uid", uid},
                     {"calibration_date", Q(c.date)},
                     {"constant_1", static_cast<double>(c.constants[0])},
                     {"constant_2", static_cast<double>(c.constants[1])},
                     {"constant_3", static_cast<double>(c.constants[2])},
                     {"constant_4", static_cast<double>(c.constants[3])}}};
}

StoreRow ReadingRow(const QString& uid, int step, int number, const Reading& r,
                    const QDateTime& at) {
    return StoreRow{"readings",
                    {{"row_key", uid + QStringLiteral("/s%1/%2").arg(step).arg(number)},
                     {"test_uid", uid},
                     {"step", step},
                     {"reading_no", number},
                     {"elapsed_min", static_cast<double>(r.elapsedMinutes)},
                     {"indicator_in", static_cast<double>(r.indicator)},
                     {"temp_c", static_cast<double>(r.temperature)},
                     {"live_slope", static_cast<double>(r.liveSlope)},
                     {"projected_in", static_cast<double>(r.projectedIndicator)},
                     {"stored_at", at.isValid() ? QVariant(IsoTime(at)) : QVariant()}}};
}

StoreRow StepRow(const QString& uid, int step, std::optional<double> setPoint,
                 const StepEvidence* e, const Reading* end, const QDateTime& savedAt) {
    StoreRow row{"steps",
                 {{"row_key", uid + QStringLiteral("/s%1").arg(step)},
                  {"test_uid", uid},
                  {"step", step},
                  {"set_point_c", setPoint ? QVariant(*setPoint) : QVariant()}}};
    auto add = [&row](const char* name, QVariant value) { row.columns.emplace_back(name, value); };
    if (e) {
        add("end_temp_c", static_cast<double>(e->endTemperature));
        add("end_indicator_in", static_cast<double>(e->endIndicator));
        add("ending", Q(EndingText(e->facts.ending)));
        add("step_minutes", e->facts.stepMinutes);
        add("hold_minutes", e->holdMinutes());
        add("average_drift", static_cast<double>(e->facts.averageSlope));
        add("live_drift", static_cast<double>(e->facts.liveSlope));
        add("drift_threshold", static_cast<double>(e->facts.threshold));
        add("temp_sigma_c", e->tempSigma);
        add("indicator_sigma_in", e->indicatorSigma);
        add("remaining_drift_in", e->remainingDrift);
    } else if (end) {
        add("end_temp_c", static_cast<double>(end->temperature));
        add("end_indicator_in", static_cast<double>(end->indicator));
        add("step_minutes", static_cast<double>(end->elapsedMinutes));
    }
    add("saved_at", savedAt.isValid() ? QVariant(IsoTime(savedAt)) : QVariant());
    return row;
}

StoreRow ResultRow(const QString& uid, int number, const ResultEvidence& r) {
    return StoreRow{
        "results",
        {{"row_key", uid + QStringLiteral("/r%1").arg(number)},
         {"test_uid", uid},
         {"result_no", number},
         {"from_step", r.fromStep ? QVariant(r.fromStep) : QVariant()},
         {"to_step", r.toStep ? QVariant(r.toStep) : QVariant()},
         {"from_temp_c", static_cast<double>(r.fromTemp)},
         {"to_temp_c", static_cast<double>(r.toTemp)},
         {"cte_per_c", static_cast<double>(r.cte)},
         {"accuracy", static_cast<double>(r.accuracy)},
         {"expanded_u", r.hasBudget ? QVariant(r.budget.expanded) : QVariant()},
         {"flags", Q(StoreFlags(r))},
         {"at_equilibrium", r.hasBudget ? QVariant(r.atEquilibrium ? 1 : 0) : QVariant()}}};
}

std::string StoreFlags(const ResultEvidence& r) {
    std::string flags;
    const auto add = [&](const std::string& flag) { flags += (flags.empty() ? "" : "; ") + flag; };
    if (r.belowMethodRange) add(ResultFlagText(r));
    if (r.belowNoiseRange) add(ExpansionFlagText(r));
    if (r.hasBudget && !r.atEquilibrium) add(EquilibriumFlagText(r));
    return flags.empty() ? "none" : flags;
}

namespace {
QString Sha256Hex(const std::string& bytes) {
    return QString::fromLatin1(
        QCryptographicHash::hash(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                 QCryptographicHash::Sha256)
            .toHex());
}
} // namespace

std::optional<std::string> FileSha256(const std::string& path) {
    const auto bytes = ReadFileBytes(path);
    if (!bytes) return std::nullopt;
    return Sha256Hex(*bytes).toStdString();
}

std::optional<StoreRow> FileRow(const QString& uid, const std::string& kind,
                                const std::string& path, const QDateTime& at) {
    const auto bytes = ReadFileBytes(path);
    if (!bytes) return std::nullopt;
    return StoreRow{"files",
                    {{"row_key", uid + "/" + Q(kind)},
                     {"test_uid", uid},
                     {"kind", Q(kind)},
                     {"path", Q(path)},
                     {"sha256", Sha256Hex(*bytes)},
                     {"size_bytes", static_cast<qlonglong>(bytes->size())},
                     {"written_at", IsoTime(at)}}};
}

std::string FileKind(const std::string& path) {
    if (EndsWith(path, "_CTE.dat")) return "raw";
    if (EndsWith(path, "_CTE.txt")) return "summary";
    if (EndsWith(path, "TempDat.txt")) return "interim";
    if (EndsWith(path, ".pdf")) return "report";
    return "other";
}

} // namespace dilato::results

#include "StoredTests.h"

#include "analysis/CteFormulas.h"
#include "analysis/ResultEvidence.h"
#include "results/TestRows.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <cmath>

namespace dilato::test {

namespace {

// Expansion from t0 to t of a sample with α = a + b T (strain, dimensionless).
double Strain(const StoredTest& t, double from, double to) {
    return (t.a * (to - from) + 0.5 * t.b * (to * to - from * from)) * 1e-6;
}

// What the instrument reads: the sample's expansion less the fixture's.
double Indicator(const StoredTest& t, double temp, double noise) {
    const double t0 = t.plan.front();
    return 0.05 + Strain(t, t0, temp) * t.length -
           SystemCorrection(static_cast<float>(temp - t0), static_cast<float>(t.length)) + noise;
}

void WriteFile(const std::string& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
    QFile f(QString::fromStdString(path));
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

} // namespace

std::vector<results::StoreRow> StoredTestRows(const StoredTest& t, const std::string& filesFolder) {
    using namespace results;
    const QString uid = QString::fromStdString(t.uid);
    const QDateTime start = QDateTime::fromString(QString::fromStdString(t.started), Qt::ISODate);
    std::vector<StoreRow> rows;
    TestFacts facts;
    facts.systemFolder = "/srv/dilato/";
    facts.dataFolder = t.folder;
    facts.testName = t.name;
    facts.sampleId = t.sample;
    facts.material = t.material;
    facts.referenceMaterial = t.reference;
    facts.referenceOutOfControl = t.outOfControl;
    facts.sampleLength = static_cast<float>(t.length);
    facts.operatorLogin = t.operatorLogin;
    facts.pcName = "lab-pc";
    facts.setPoints = t.plan;
    facts.started = start;
    facts.ended = start.addSecs(3600 * static_cast<qint64>(t.plan.size()));
    facts.ending = "completed";
    facts.origin = "live";
    rows.push_back(TestRow(uid, facts));

    std::vector<StepEvidence> ends;
    double temp = t.plan.front() - 2.0; // the stage starts a little below the first set point
    for (size_t s = 0; s < t.plan.size(); ++s) {
        const double target = t.plan[s];
        const double noise = (s % 2 ? 1.0 : -1.0) * t.indicatorNoise;
        const double begin = temp;
        for (int k = 0; k < t.readingsPerStep; ++k) {
            // The stage's approach to its set point, the indicator following the sample.
            temp = target + (begin - target) * std::exp(-0.25 * (k + 1));
            Reading r;
            r.elapsedMinutes = static_cast<float>(0.1 * (k + 1));
            r.temperature = static_cast<float>(temp);
            r.indicator = static_cast<float>(Indicator(t, temp, noise));
            rows.push_back(ReadingRow(uid, static_cast<int>(s + 1), k + 1, r,
                                      start.addSecs(6 * k)));
        }
        StepEvidence e;
        e.step = static_cast<int>(s + 1);
        e.endTemperature = static_cast<float>(temp);
        e.endIndicator = static_cast<float>(Indicator(t, temp, noise));
        e.tempSigma = 0.02;
        e.indicatorSigma = 3e-6;
        e.facts.setPoint = static_cast<int>(target);
        e.facts.stepMinutes = 0.1 * t.readingsPerStep;
        e.facts.ending = t.timeLimitStep && s + 1 == t.plan.size() ? StepEnding::TimeLimit
                                                                    : StepEnding::DriftCriteria;
        ends.push_back(e);
        rows.push_back(StepRow(uid, e.step, target, &e, nullptr, start.addSecs(3600 * (static_cast<qint64>(s) + 1))));
    }

    // The results: each pair of neighbouring steps, then the whole range.
    auto result = [&](int number, size_t from, size_t to) {
        ResultEvidence r;
        r.key = number;
        r.fromStep = static_cast<int>(from + 1);
        r.toStep = static_cast<int>(to + 1);
        r.fromTemp = ends[from].endTemperature;
        r.toTemp = ends[to].endTemperature;
        r.cte = CteFromChange(r.toTemp - r.fromTemp,
                              ends[to].endIndicator - ends[from].endIndicator +
                                  SystemCorrection(r.toTemp - r.fromTemp, static_cast<float>(t.length)),
                              static_cast<float>(t.length));
        r.accuracy = AccuracyEstimate(r.toTemp - r.fromTemp, r.cte, static_cast<float>(t.length));
        r.hasBudget = true;
        r.budget = BudgetFor(ends[from], ends[to], r.cte, t.length);
        r.belowMethodRange = BelowMethodRange(r.cte);
        rows.push_back(ResultRow(uid, number, r));
    };
    int number = 0;
    for (size_t s = 1; s < ends.size(); ++s)
        result(++number, s - 1, s);
    // The whole range: from the first step to the hottest (a round trip comes back from there).
    size_t hottest = 0;
    for (size_t s = 1; s < ends.size(); ++s)
        if (t.plan[s] > t.plan[hottest]) hottest = s;
    if (ends.size() > 2) result(++number, 0, hottest);

    if (!filesFolder.empty()) {
        const std::string base = filesFolder + t.folder + "/" + t.name;
        WriteFile(base + "_CTE.dat", "made up for a test\r\n");
        WriteFile(base + ".pdf", "%PDF-1.4\n%%EOF\n");
        for (const auto& [kind, path] : {std::pair{"raw", base + "_CTE.dat"},
                                         std::pair{"report", base + ".pdf"}})
            if (auto row = FileRow(uid, kind, path, facts.ended)) rows.push_back(*row);
    }
    return rows;
}

void WriteStoredTests(results::StoreConnection& store, const std::vector<StoredTest>& tests,
                      const std::string& filesFolder) {
    store.InTransaction([&] {
        for (const StoredTest& t : tests)
            for (const results::StoreRow& row : StoredTestRows(t, filesFolder))
                results::UpsertRow(store, row);
    });
}

std::vector<StoredTest> ManyStoredTests(int count, int readingsPerStep) {
    static const char* kMaterials[] = {"metal", "glass", "polymer", "unknown"};
    static const char* kOperators[] = {"anna", "ben", "chidi", "dora"};
    static const char* kFolders[] = {"Copper", "Silica", "Batch7", "Alloys", "Returns"};
    std::vector<StoredTest> tests;
    const QDate first(2026, 1, 1);
    for (int i = 0; i < count; ++i) {
        StoredTest t;
        t.uid = "T" + std::to_string(100000 + i);
        t.name = "Test" + std::to_string(i);
        t.sample = "S-" + std::to_string(i % 997) + (i % 3 ? "-Cu" : "-Al");
        t.material = kMaterials[i % 4];
        t.operatorLogin = kOperators[i % 4];
        t.folder = kFolders[i % 5];
        t.started = first.addDays(i % 340).toString(Qt::ISODate).toStdString() + "T10:00:00";
        t.a = 10.0 + (i % 17);
        t.readingsPerStep = readingsPerStep;
        t.timeLimitStep = i % 11 == 0;
        tests.push_back(std::move(t));
    }
    return tests;
}

} // namespace dilato::test

#include "ui/results/ResultsTabModel.h"

#include "platform/Format.h"

#include <algorithm>
#include <cctype>

namespace dilato {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Num(double value, std::string_view pattern) { return FormatNumber(value, pattern); }

} // namespace

const char* ColumnTitle(int c) {
    static constexpr const char* kTitles[column::Count] = {
        "", "Date", "Sample ID", "Material", "Test", "Folder", "Operator", "CTE (µ/°C)",
        "U (µ/°C)", "Flags"};
    return c >= 0 && c < column::Count ? kTitles[c] : "";
}

std::string MarksText(unsigned marks) {
    std::string text;
    auto add = [&text](const char* t) { text += (text.empty() ? "" : ", ") + std::string(t); };
    if (marks & results::mark::NotAtEquilibrium) add("not at equilibrium");
    if (marks & results::mark::BelowMethodRange) add("below method range");
    if (marks & results::mark::OutOfControlReference) add("out of control reference");
    return text;
}

void ResultsTabModel::Enter() {
    try {
        all_ = s_.source.Tests();
        storeFailureTold_ = false;
    } catch (const std::exception& e) {
        all_.clear();
        if (!storeFailureTold_)
            Tell(std::string("The results store cannot be read: ") + e.what());
        storeFailureTold_ = true;
    }
    // A test that ended since the last visit may have more steps and results.
    details_.clear();
    readings_.clear();
    correctionOf_.clear();
    byUid_.clear();
    sampleKeys_.clear();
    operatorKeys_.clear();
    folderKeys_.clear();
    for (size_t i = 0; i < all_.size(); ++i) {
        byUid_[all_[i].uid] = i;
        sampleKeys_.push_back(Lower(all_[i].sampleId));
        operatorKeys_.push_back(Lower(all_[i].operatorLogin));
        folderKeys_.push_back(Lower(all_[i].dataFolder));
    }
    std::erase_if(ticked_, [this](const std::string& uid) { return !byUid_.count(uid); });
    if (!byUid_.count(selected_)) selected_.clear();
    Refilter();
}

void ResultsTabModel::SetFilter(const ResultsFilter& filter) {
    filter_ = filter;
    Refilter();
}

void ResultsTabModel::SortBy(int c, bool ascending) {
    if (c < 0 || c >= column::Count) return;
    sortColumn_ = c;
    ascending_ = ascending;
    Refilter();
}

bool ResultsTabModel::Matches(size_t i) const {
    const results::CatalogTest& t = all_[i];
    if (!sampleKey_.empty() && sampleKeys_[i].find(sampleKey_) == std::string::npos) return false;
    if (!operatorKey_.empty() && operatorKeys_[i].find(operatorKey_) == std::string::npos)
        return false;
    if (!folderKey_.empty() && folderKeys_[i].find(folderKey_) == std::string::npos) return false;
    if (!filter_.material.empty() && t.material != filter_.material) return false;
    if ((t.marks & filter_.marks) != filter_.marks) return false;
    if (!filter_.from.empty() || !filter_.to.empty()) {
        const std::string day = t.day();
        if (day.empty()) return false;
        if (!filter_.from.empty() && day < filter_.from) return false;
        if (!filter_.to.empty() && day > filter_.to) return false;
    }
    return true;
}

void ResultsTabModel::Refilter() {
    sampleKey_ = Lower(filter_.sample);
    operatorKey_ = Lower(filter_.operatorLogin);
    folderKey_ = Lower(filter_.folder);
    shown_.clear();
    for (size_t i = 0; i < all_.size(); ++i)
        if (Matches(i)) shown_.push_back(i);
    auto key = [this](size_t i) -> const std::string& {
        const results::CatalogTest& t = all_[i];
        switch (sortColumn_) {
        case column::Sample: return sampleKeys_[i];
        case column::Material: return t.material;
        case column::Test: return t.testName;
        case column::Folder: return folderKeys_[i];
        case column::Operator: return operatorKeys_[i];
        default: return t.started.empty() ? t.ended : t.started;
        }
    };
    auto number = [this](size_t i) -> double {
        const results::CatalogTest& t = all_[i];
        switch (sortColumn_) {
        case column::Cte: return t.rangeCte.value_or(-1e300);
        case column::U: return t.rangeU.value_or(-1e300);
        case column::Marks: return static_cast<double>(t.marks);
        case column::Tick: {
            const auto it = std::find(ticked_.begin(), ticked_.end(), t.uid);
            return it == ticked_.end() ? 1e300 : static_cast<double>(it - ticked_.begin());
        }
        default: return 0.0;
        }
    };
    const bool numeric = sortColumn_ == column::Cte || sortColumn_ == column::U ||
                         sortColumn_ == column::Marks || sortColumn_ == column::Tick;
    std::stable_sort(shown_.begin(), shown_.end(), [&](size_t a, size_t b) {
        const bool less = numeric ? number(a) < number(b) : key(a) < key(b);
        const bool greater = numeric ? number(b) < number(a) : key(b) < key(a);
        return ascending_ ? less : greater;
    });
}

const results::CatalogTest& ResultsTabModel::test(int row) const {
    return all_.at(shown_.at(static_cast<size_t>(row)));
}

std::string ResultsTabModel::Cell(int row, int c) const {
    const results::CatalogTest& t = test(row);
    switch (c) {
    case column::Date: return t.day();
    case column::Sample: return t.sampleId;
    case column::Material: return t.material;
    case column::Test: return t.testName;
    case column::Folder: return t.dataFolder;
    case column::Operator: return t.operatorLogin;
    case column::Cte: return t.rangeCte ? Num(*t.rangeCte, "0.00") : "";
    case column::U: return t.rangeU ? Num(*t.rangeU, "0.00") : "";
    case column::Marks: return MarksText(t.marks);
    default: return "";
    }
}

std::vector<std::string> ResultsTabModel::Materials() const {
    std::set<std::string> names;
    for (const results::CatalogTest& t : all_)
        if (!t.material.empty()) names.insert(t.material);
    return {names.begin(), names.end()};
}

const results::CatalogTest* ResultsTabModel::Find(const std::string& uid) const {
    const auto it = byUid_.find(uid);
    return it == byUid_.end() ? nullptr : &all_[it->second];
}

void ResultsTabModel::Select(int row) {
    selected_ = row >= 0 && row < rows() ? test(row).uid : std::string();
}

int ResultsTabModel::selectedRow() const {
    for (size_t r = 0; r < shown_.size(); ++r)
        if (all_[shown_[r]].uid == selected_) return static_cast<int>(r);
    return -1;
}

const results::CatalogDetail& ResultsTabModel::DetailOf(const std::string& uid) {
    auto it = details_.find(uid);
    if (it == details_.end()) {
        results::CatalogDetail d;
        try {
            d = s_.source.Detail(uid);
        } catch (const std::exception& e) {
            Tell(std::string("The results store cannot be read: ") + e.what());
        }
        it = details_.emplace(uid, std::move(d)).first;
    }
    return it->second;
}

const std::vector<results::CatalogReading>& ResultsTabModel::ReadingsOf(const std::string& uid) {
    auto it = readings_.find(uid);
    if (it == readings_.end()) {
        std::vector<results::CatalogReading> r;
        try {
            r = s_.source.Readings(uid);
        } catch (const std::exception& e) {
            Tell(std::string("The results store cannot be read: ") + e.what());
        }
        it = readings_.emplace(uid, std::move(r)).first;
    }
    return it->second;
}

const ColumnCorrection* ResultsTabModel::CorrectionOf(const results::CatalogTest& test) {
    if (!corrections_) return nullptr;
    auto it = correctionOf_.find(test.uid);
    if (it == correctionOf_.end()) it = correctionOf_.emplace(test.uid, corrections_(test)).first;
    return it->second ? &*it->second : nullptr;
}

const results::CatalogDetail* ResultsTabModel::selectedDetail() {
    return selected_.empty() ? nullptr : &DetailOf(selected_);
}

std::vector<std::string> ResultsTabModel::DetailLines() {
    std::vector<std::string> lines;
    const results::CatalogTest* t = Find(selected_);
    if (!t) return lines;
    const results::CatalogDetail& d = DetailOf(selected_);
    lines.push_back("Test: " + t->testName + "    Sample ID: " + t->sampleId +
                    "    Material: " + t->material);
    lines.push_back("Started: " + t->started + "    Ended: " + t->ended + " (" + t->ending + ")");
    lines.push_back("Sample length: " + Num(t->sampleLength, "0.000") + " in    Operator: " +
                    t->operatorLogin + " on " + t->pcName + "    Folder: " + t->dataFolder);
    if (t->marks) lines.push_back("Flags: " + MarksText(t->marks));
    lines.emplace_back("Results");
    for (const results::CatalogResult& r : d.results)
        lines.push_back("  CTE " + std::to_string(r.number) + ": " + Num(r.fromTemp, "0.0") +
                        " to " + Num(r.toTemp, "0.0") + " °C = " + Num(r.cte, "0.00") +
                        " µ/°C" + (r.expandedU ? " ± " + Num(*r.expandedU, "0.00") + " (k = 2)" : "") +
                        "    accuracy " + Num(100.0 * r.accuracy, "0.0") + "%" +
                        (r.flags.empty() || r.flags == "none" ? "" : "    " + r.flags));
    lines.emplace_back("Steps");
    for (const results::CatalogStep& s : d.steps)
        lines.push_back("  Step " + std::to_string(s.step) + ": set point " +
                        (s.setPoint ? Num(*s.setPoint, "0") : "-") + " °C, ended at " +
                        (s.endTemp ? Num(*s.endTemp, "0.00") : "-") + " °C, indicator " +
                        (s.endIndicator ? Num(*s.endIndicator, "0.000000") : "-") + " in, " +
                        (s.ending.empty() ? "" : s.ending + ", ") + "hold " +
                        Num(s.holdMinutes, "0.0") + " min, still to come " +
                        Num(s.remainingDrift * 1e6, "0.0") + " µin");
    lines.emplace_back("Files");
    for (const results::CatalogFile& f : d.files)
        lines.push_back("  " + f.kind + ": " + f.path);
    return lines;
}

void ResultsTabModel::Tick(int row, bool on) {
    if (row < 0 || row >= rows()) return;
    const std::string& uid = test(row).uid;
    const auto it = std::find(ticked_.begin(), ticked_.end(), uid);
    if (on && it == ticked_.end()) {
        ticked_.push_back(uid);
        if (!colourOf_.count(uid)) colourOf_[uid] = nextColour_++;
    } else if (!on && it != ticked_.end()) {
        ticked_.erase(it);
    }
}

bool ResultsTabModel::ticked(int row) const {
    return row >= 0 && row < rows() &&
           std::find(ticked_.begin(), ticked_.end(), test(row).uid) != ticked_.end();
}

void ResultsTabModel::ClearTicks() { ticked_.clear(); }

std::vector<std::string> ResultsTabModel::FigureUids() const {
    if (!ticked_.empty()) return ticked_;
    if (!selected_.empty()) return {selected_};
    return {};
}

unsigned ResultsTabModel::ColourOf(const std::string& uid) const {
    const auto it = colourOf_.find(uid);
    if (it != colourOf_.end()) return TestColour(it->second);
    return TestColour(0);
}

std::optional<ReferenceCurve> ResultsTabModel::CertifiedFor(double lo, double hi) const {
    std::set<std::string> materials;
    for (const std::string& uid : FigureUids())
        if (const results::CatalogTest* t = Find(uid))
            // A reference run is of its reference material, whose certified curve applies.
            materials.insert(t->referenceMaterial.empty() ? t->material : t->referenceMaterial);
    if (!reference_ || materials.size() != 1 || !(hi > lo)) return std::nullopt;
    return reference_(*materials.begin(), lo, hi);
}

OverlayFigure ResultsTabModel::Overlay() {
    OverlayFigure figure;
    double lo = 1e300, hi = -1e300;
    for (const std::string& uid : FigureUids()) {
        const results::CatalogTest* t = Find(uid);
        if (!t) continue;
        for (OverlayLine& line :
             OverlayLines(*t, ReadingsOf(uid), ColourOf(uid), CorrectionOf(*t))) {
            for (const double temp : line.temperature) {
                lo = std::min(lo, temp);
                hi = std::max(hi, temp);
            }
            figure.lines.push_back(std::move(line));
        }
    }
    figure.reference = CertifiedFor(lo, hi);
    return figure;
}

AlphaFigure ResultsTabModel::Alpha() {
    AlphaFigure figure;
    std::vector<AlphaSeries>& series = figure.series;
    double lo = 1e300, hi = -1e300;
    for (const std::string& uid : FigureUids()) {
        const results::CatalogTest* t = Find(uid);
        if (!t) continue;
        AlphaSeries s;
        s.uid = uid;
        s.name = t->sampleId.empty() ? t->testName : t->testName + " (" + t->sampleId + ")";
        s.colour = ColourOf(uid);
        s.outcome = AlphaOfTemperature(StepsOf(DetailOf(uid)), t->sampleLength, CorrectionOf(*t));
        if (s.outcome.ok())
            for (const AlphaPoint& p : s.outcome.curves->physical) {
                lo = std::min(lo, p.temperature);
                hi = std::max(hi, p.temperature);
            }
        series.push_back(std::move(s));
    }
    figure.reference = CertifiedFor(lo, hi);
    return figure;
}

BatchTable ResultsTabModel::Batch() {
    std::vector<const results::CatalogTest*> tests;
    std::vector<const results::CatalogDetail*> details;
    for (const std::string& uid : ticked_)
        if (const results::CatalogTest* t = Find(uid)) {
            tests.push_back(t);
            details.push_back(&DetailOf(uid));
        }
    return BuildBatchTable(tests, details);
}

void ResultsTabModel::DrawOverlay() {
    OverlayFigure figure = Overlay();
    ThinForScreen(figure);
    s_.overlayCanvas.DrawOverlay(figure);
}

void ResultsTabModel::DrawAlpha() { s_.alphaCanvas.DrawAlpha(Alpha()); }

} // namespace dilato

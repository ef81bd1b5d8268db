#include "ui/results/ResultsFigures.h"

#include "results/Export.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>

namespace dilato {

namespace {

std::string Number(double value) { return results::ExportNumber(value).toStdString(); }

// A CSV field: quoted when it holds a separator, a quote or a line break.
std::string Field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string TestName(const results::CatalogTest& t) {
    return t.sampleId.empty() ? t.testName : t.testName + " (" + t.sampleId + ")";
}

} // namespace

unsigned TestColour(int index) {
    static constexpr unsigned kColours[] = {0x1f77b4, 0xd62728, 0x2ca02c, 0xff7f0e, 0x9467bd,
                                            0x8c564b, 0xe377c2, 0x17becf, 0xbcbd22, 0x7f7f7f};
    constexpr int count = static_cast<int>(std::size(kColours));
    return kColours[((index % count) + count) % count];
}

std::vector<OverlayLine> OverlayLines(const results::CatalogTest& test,
                                      const std::vector<results::CatalogReading>& readings,
                                      unsigned colour, const ColumnCorrection* correction) {
    std::vector<OverlayLine> lines;
    if (readings.empty() || !(test.sampleLength > 0.0)) return lines;
    // Each step's last temperature, and whether it went down from the step before.
    std::map<int, double> lastTemp;
    std::map<int, double> firstTemp;
    for (const results::CatalogReading& r : readings) {
        firstTemp.try_emplace(r.step, r.temperature);
        lastTemp[r.step] = r.temperature;
    }
    std::map<int, bool> cooling;
    double before = readings.front().temperature;
    for (const auto& [step, last] : lastTemp) {
        cooling[step] = last < before;
        before = last;
    }
    const results::CatalogReading& first = readings.front();
    const double length = test.sampleLength;
    for (const results::CatalogReading& r : readings) {
        const bool down = cooling[r.step];
        if (lines.empty() || lines.back().cooling != down) {
            OverlayLine line;
            line.uid = test.uid;
            line.name = TestName(test);
            line.colour = colour;
            line.cooling = down;
            line.inLegend = lines.empty();
            // The new leg starts where the last one ended, so that the test reads as one line.
            if (!lines.empty()) {
                line.temperature.push_back(lines.back().temperature.back());
                line.strain.push_back(lines.back().strain.back());
            }
            lines.push_back(std::move(line));
        }
        const double column = ColumnChange(first.temperature, r.temperature, length, correction);
        const double strain = (r.indicator - first.indicator + column) / length * 1e6;
        lines.back().temperature.push_back(r.temperature);
        lines.back().strain.push_back(strain);
    }
    return lines;
}

ReferenceCurve CertifiedCurve(const ReferenceMaterial& material, double from, double to,
                              int points) {
    ReferenceCurve curve;
    curve.name = material.name;
    from = std::max(from, kReferenceLowTemp);
    to = std::min(to, kReferenceHighTemp);
    if (!(to > from) || points < 1) return curve;
    for (int i = 0; i <= points; ++i) {
        const double t = from + (to - from) * i / points;
        curve.temperature.push_back(t);
        curve.strain.push_back(material.expansion(from, t));
        curve.alpha.push_back(material.alpha(t));
    }
    curve.alphaExpandedU = UncertaintyBudget::kCoverageFactor * material.alphaUncertainty;
    return curve;
}

void ThinForScreen(OverlayFigure& figure, int cells) {
    double xMin = HUGE_VAL, xMax = -HUGE_VAL, yMin = HUGE_VAL, yMax = -HUGE_VAL;
    for (const OverlayLine& l : figure.lines)
        for (size_t i = 0; i < l.temperature.size(); ++i) {
            xMin = std::min(xMin, l.temperature[i]);
            xMax = std::max(xMax, l.temperature[i]);
            yMin = std::min(yMin, l.strain[i]);
            yMax = std::max(yMax, l.strain[i]);
        }
    if (!(xMax > xMin) || !(yMax > yMin)) return;
    const double cx = cells / (xMax - xMin), cy = cells / (yMax - yMin);
    for (OverlayLine& l : figure.lines) {
        const size_t n = l.temperature.size();
        if (n < 3) continue;
        std::vector<double> t, s;
        long lastX = 0, lastY = 0;
        for (size_t i = 0; i < n; ++i) {
            const long x = std::lround((l.temperature[i] - xMin) * cx);
            const long y = std::lround((l.strain[i] - yMin) * cy);
            if (i == 0 || i + 1 == n || x != lastX || y != lastY) {
                t.push_back(l.temperature[i]);
                s.push_back(l.strain[i]);
                lastX = x;
                lastY = y;
            }
        }
        l.temperature = std::move(t);
        l.strain = std::move(s);
    }
}

std::string OverlayCsv(const OverlayFigure& figure) {
    std::ostringstream out;
    out << "test_uid,test,leg,temperature_C,strain_1e-6\r\n";
    std::map<std::string, int> legs;
    for (const OverlayLine& l : figure.lines) {
        const int leg = ++legs[l.uid];
        // A leg after the first repeats the point it starts from: written once.
        const size_t from = leg > 1 ? 1 : 0;
        for (size_t i = from; i < l.temperature.size(); ++i)
            out << Field(l.uid) << ',' << Field(l.name) << ',' << leg << (l.cooling ? " cooling" : " heating")
                << ',' << Number(l.temperature[i]) << ',' << Number(l.strain[i]) << "\r\n";
    }
    if (figure.reference)
        for (size_t i = 0; i < figure.reference->temperature.size(); ++i)
            out << ",certified: " << Field(figure.reference->name) << ",,"
                << Number(figure.reference->temperature[i]) << ','
                << Number(figure.reference->strain[i]) << "\r\n";
    return out.str();
}

std::vector<StepEvidence> StepsOf(const results::CatalogDetail& detail) {
    std::vector<StepEvidence> steps;
    for (const results::CatalogStep& s : detail.steps) {
        if (!s.endTemp || !s.endIndicator) continue;
        StepEvidence e;
        e.step = s.step;
        e.endTemperature = static_cast<float>(*s.endTemp);
        e.endIndicator = static_cast<float>(*s.endIndicator);
        e.tempSigma = s.tempSigma;
        e.indicatorSigma = s.indicatorSigma;
        e.remainingDrift = s.remainingDrift;
        e.facts.ending = s.ending == "time limit" ? StepEnding::TimeLimit : StepEnding::DriftCriteria;
        if (s.setPoint) e.facts.setPoint = static_cast<int>(std::lround(*s.setPoint));
        steps.push_back(e);
    }
    return steps;
}

std::string AlphaCsv(const AlphaFigure& figure) {
    std::ostringstream out;
    out << "test_uid,test,alpha,temperature_C,alpha_1e-6_per_C,U_1e-6_per_C\r\n";
    for (const AlphaSeries& s : figure.series) {
        if (!s.outcome.ok()) continue;
        auto rows = [&](const char* kind, const std::vector<AlphaPoint>& points) {
            for (const AlphaPoint& p : points)
                out << Field(s.uid) << ',' << Field(s.name) << ',' << kind << ','
                    << Number(p.temperature) << ',' << Number(p.alpha) << ','
                    << Number(p.expandedU) << "\r\n";
        };
        rows("technical", s.outcome.curves->technical);
        rows("physical", s.outcome.curves->physical);
    }
    if (const auto& r = figure.reference)
        for (size_t i = 0; i < r->temperature.size() && i < r->alpha.size(); ++i)
            out << ',' << Field("certified: " + r->name) << ",certified,"
                << Number(r->temperature[i]) << ',' << Number(r->alpha[i]) << ','
                << Number(r->alphaExpandedU) << "\r\n";
    return out.str();
}

BatchTable BuildBatchTable(const std::vector<const results::CatalogTest*>& tests,
                           const std::vector<const results::CatalogDetail*>& details) {
    BatchTable table;
    if (tests.size() < 2) {
        table.problem = "Tick at least two tests of one material.";
        return table;
    }
    table.material = tests.front()->material;
    for (const results::CatalogTest* t : tests) {
        if (t->material != table.material) {
            table.problem = "Tick tests of one material: the ticked tests are of more than one.";
            return table;
        }
        table.tests.push_back(TestName(*t));
    }
    std::vector<std::pair<std::string, std::vector<BatchValue>>> groups;
    for (const results::CatalogDetail* d : details) {
        std::map<int, double> setPoints;
        for (const results::CatalogStep& s : d->steps)
            if (s.setPoint) setPoints[s.step] = *s.setPoint;
        for (const results::CatalogResult& r : d->results) {
            const bool planned = setPoints.count(r.fromStep) && setPoints.count(r.toStep);
            const long from = std::lround(planned ? setPoints[r.fromStep] : r.fromTemp);
            const long to = std::lround(planned ? setPoints[r.toStep] : r.toTemp);
            const std::string key = std::to_string(from) + " to " + std::to_string(to) + " °C";
            auto it = std::find_if(groups.begin(), groups.end(),
                                   [&](const auto& g) { return g.first == key; });
            if (it == groups.end()) it = groups.insert(groups.end(), {key, {}});
            it->second.push_back({r.cte, r.expandedU});
        }
    }
    for (const auto& [interval, values] : groups)
        table.rows.push_back({interval, BatchStatisticsOf(values)});
    return table;
}

std::string BatchCsv(const BatchTable& table) {
    std::ostringstream out;
    out << "material,interval,n,mean_1e-6_per_C,sd_1e-6_per_C,n_with_U,weighted_mean_1e-6_per_C,"
           "birge_ratio\r\n";
    for (const BatchRow& r : table.rows) {
        const BatchStatistics& s = r.stats;
        out << Field(table.material) << ',' << Field(r.interval) << ',' << s.count << ','
            << Number(s.mean) << ',' << Number(s.standardDeviation) << ',' << s.weightedCount
            << ',' << (s.weightedMean ? Number(*s.weightedMean) : "") << ','
            << (s.birgeRatio ? Number(*s.birgeRatio) : "") << "\r\n";
    }
    return out.str();
}

} // namespace dilato

#include "analysis/ReferenceMaterial.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace dilato {

namespace {

constexpr double kKelvin = 273.15;

// Copper, NIST SRM 736: the certified fit of alpha (10^-6 per K) to the absolute
// temperature, from the data of T. A. Hahn, J. Appl. Phys. 41, 5096 (1970), as NIST's
// statistical reference data set "Hahn1" gives its certified parameters. The fit's residual
// standard deviation is 0.082 over 236 observations and 7 parameters; the curve itself is
// known to about 0.082 * sqrt(7 / 236) = 0.014.
ReferenceMaterial Copper() {
    ReferenceMaterial m;
    m.name = "SRM736";
    m.description = "copper (NIST SRM 736)";
    m.certificate = "NIST SRM 736";
    m.source = "certified fit to Hahn, J. Appl. Phys. 41, 5096 (1970) (NIST StRD Hahn1)";
    m.rational = std::array<double, 7>{1.0776351733E+00,  -1.2269296921E-01, 4.0863750610E-03,
                                       -1.4262662514E-06, -5.7609940901E-03, 2.4053735503E-04,
                                       -1.2314450199E-07};
    m.alphaUncertainty = 0.014;
    return m;
}

// The program knows these certificates but does not carry their tables: the lab enters
// the certificate's figures in a file of the material's name.
ReferenceMaterial WithoutFigures(std::string name, std::string description, std::string source) {
    ReferenceMaterial m;
    m.name = std::move(name);
    m.description = std::move(description);
    m.certificate = "NIST " + m.description.substr(m.description.find("SRM"), 7);
    m.source = std::move(source);
    m.figures = false;
    return m;
}

const std::vector<ReferenceMaterial>& Shipped() {
    static const std::vector<ReferenceMaterial> materials{
        Copper(),
        WithoutFigures("SRM739", "fused silica (NIST SRM 739)",
                       "Hahn and Kirby, AIP Conf. Proc. 3, 13 (1972): enter the certificate's "
                       "table"),
        WithoutFigures("SRM731", "borosilicate glass (NIST SRM 731)",
                       "NIST certificate of SRM 731: enter the certificate's table")};
    return materials;
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// Simpson's rule over the rational fit: smooth, so 64 panels are far below its uncertainty.
double RationalIntegral(const std::array<double, 7>& b, double t0, double t1) {
    const auto f = [&b](double t) {
        const double x = t + kKelvin;
        return (b[0] + x * (b[1] + x * (b[2] + x * b[3]))) / (1.0 + x * (b[4] + x * (b[5] + x * b[6])));
    };
    constexpr int kPanels = 64;
    const double h = (t1 - t0) / kPanels;
    double sum = f(t0) + f(t1);
    for (int i = 1; i < kPanels; ++i)
        sum += f(t0 + i * h) * (i % 2 ? 4.0 : 2.0);
    return sum * h / 3.0;
}

double TableAlpha(const std::vector<std::pair<double, double>>& t, double temp) {
    size_t i = 1;
    while (i + 1 < t.size() && temp > t[i].first)
        ++i;
    const auto& [ta, aa] = t[i - 1];
    const auto& [tb, ab] = t[i];
    return aa + (ab - aa) * (temp - ta) / (tb - ta);
}

double TableIntegral(const std::vector<std::pair<double, double>>& t, double t0, double t1) {
    // alpha is straight between the breakpoints, so the trapezoid on each piece is exact.
    const double lo = std::min(t0, t1), hi = std::max(t0, t1);
    std::vector<double> cuts{lo};
    for (const auto& [temp, alpha] : t)
        if (temp > lo && temp < hi) cuts.push_back(temp);
    cuts.push_back(hi);
    double sum = 0.0;
    for (size_t i = 1; i < cuts.size(); ++i)
        sum += (TableAlpha(t, cuts[i - 1]) + TableAlpha(t, cuts[i])) / 2.0 * (cuts[i] - cuts[i - 1]);
    return t1 >= t0 ? sum : -sum;
}

} // namespace

double ReferenceMaterial::alpha(double temp) const {
    if (rational) {
        const auto& b = *rational;
        const double x = temp + kKelvin;
        return (b[0] + x * (b[1] + x * (b[2] + x * b[3]))) /
               (1.0 + x * (b[4] + x * (b[5] + x * b[6])));
    }
    return table.size() >= 2 ? TableAlpha(table, temp) : 0.0;
}

double ReferenceMaterial::expansion(double t0, double t1) const {
    if (rational) return RationalIntegral(*rational, t0, t1);
    return table.size() >= 2 ? TableIntegral(table, t0, t1) : 0.0;
}

double ReferenceMaterial::meanAlpha(double t0, double t1) const {
    if (std::fabs(t1 - t0) < 1e-9) return alpha(t0);
    return expansion(t0, t1) / (t1 - t0);
}

std::span<const ReferenceMaterial> ShippedReferenceMaterials() {
    return Shipped();
}

const ReferenceMaterial* ShippedReferenceMaterial(const std::string& name) {
    for (const ReferenceMaterial& m : Shipped())
        if (SameName(m.name, name)) return &m;
    return nullptr;
}

std::optional<double> StrictNumber(const std::string& text) {
    const std::string t = Trim(text);
    if (t.empty() || t.size() > 40) return std::nullopt;
    double value = 0;
    const char* end = t.data() + t.size();
    const auto [ptr, ec] = std::from_chars(t.data(), end, value, std::chars_format::general);
    if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<ReferenceMaterial> ParseLabReferenceMaterial(std::span<const std::string> lines,
                                                           std::string& error) {
    ReferenceMaterial m;
    m.alphaUncertainty = -1.0;
    int lineNo = 0;
    const auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(lineNo) + ": " + why;
        return std::nullopt;
    };
    for (const std::string& raw : lines) {
        ++lineNo;
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == '#') continue;
        const auto colon = line.find(':');
        if (colon == std::string::npos) return fail("not \"key: value\"");
        const std::string key = Trim(line.substr(0, colon));
        const std::string value = Trim(line.substr(colon + 1));
        if (value.empty()) return fail("\"" + key + "\" has no value");
        if (key == "Reference material") {
            if (!m.name.empty()) return fail("a second name");
            if (value.size() > 40 || value.find_first_of("/\\") != std::string::npos)
                return fail("the name must be short and name no folder");
            m.name = value;
        } else if (key == "Description") {
            m.description = value;
        } else if (key == "Certificate") {
            m.certificate = value;
        } else if (key == "Uncertainty") {
            const auto u = StrictNumber(value);
            if (!u || *u <= 0 || *u > 10) return fail("the uncertainty is not a number in (0, 10]");
            m.alphaUncertainty = *u;
        } else if (key == "Alpha") {
            const auto blank = value.find_first_of(" \t");
            if (blank == std::string::npos) return fail("\"Alpha\" takes a temperature and a value");
            const auto temp = StrictNumber(value.substr(0, blank));
            const auto alpha = StrictNumber(value.substr(blank + 1));
            if (!temp || !alpha || std::fabs(*temp) > 1000 || std::fabs(*alpha) > 1000)
                return fail("\"Alpha\" takes two numbers");
            if (!m.table.empty() && !(*temp > m.table.back().first))
                return fail("the temperatures must rise");
            if (m.table.size() >= 200) return fail("too many points");
            m.table.emplace_back(*temp, *alpha);
        } else {
            return fail("unknown key \"" + key + "\"");
        }
    }
    lineNo = 0;
    if (m.name.empty()) return fail("no \"Reference material\" name");
    if (m.certificate.empty()) return fail("no \"Certificate\"");
    if (m.alphaUncertainty < 0) return fail("no \"Uncertainty\"");
    if (m.table.size() < 2) return fail("fewer than two \"Alpha\" points");
    if (m.table.front().first > kReferenceLowTemp || m.table.back().first < kReferenceHighTemp)
        return fail("the points do not cover -35 to 110 degrees C");
    if (m.description.empty()) m.description = m.name;
    m.source = "the lab's certificate " + m.certificate;
    error.clear();
    return m;
}

} // namespace dilato

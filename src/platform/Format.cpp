#include "platform/Format.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace dilato {

namespace {

// Adds one to a string of decimal digits ("0999" -> "1000"); may grow by one digit.
void IncrementDigits(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

bool AllZero(const std::string& digits) {
    return digits.find_first_not_of('0') == std::string::npos;
}

} // namespace

std::string FormatFixed(double value, int decimals, int significantDigits) {
    if (!std::isfinite(value)) return std::isnan(value) ? "NaN" : (value < 0 ? "-Inf" : "Inf");
    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);

    std::string digits(1, '0');
    int shift = 0; // the integer result is digits * 10^shift
    if (magnitude != 0.0) {
        char buf[64];
        // d.ddddde[+-]XX, independent of the process locale
        const auto result = std::to_chars(buf, buf + sizeof buf, magnitude,
                                          std::chars_format::scientific, significantDigits - 1);
        std::string text(buf, result.ptr);
        const auto ePos = text.find('e');
        const int exponent = std::stoi(text.substr(ePos + 1));
        digits = significantDigits > 1 ? text.substr(0, 1) + text.substr(2, ePos - 2)
                                       : text.substr(0, 1);
        shift = exponent - (significantDigits - 1) + decimals;
    }

    if (shift >= 0) {
        digits.append(static_cast<size_t>(shift), '0');
    } else {
        const size_t drop = static_cast<size_t>(-shift);
        if (drop > digits.size()) {
            digits.assign(1, '0');
        } else {
            const bool roundUp = digits[digits.size() - drop] >= '5';
            digits.resize(digits.size() - drop);
            if (digits.empty()) digits.assign(1, '0');
            if (roundUp) IncrementDigits(digits);
        }
    }
    const bool zero = AllZero(digits);
    // at least one integer digit in front of the decimals
    if (digits.size() < static_cast<size_t>(decimals) + 1)
        digits.insert(0, static_cast<size_t>(decimals) + 1 - digits.size(), '0');
    // strip superfluous leading zeros of the integer part
    while (digits.size() > static_cast<size_t>(decimals) + 1 && digits[0] == '0')
        digits.erase(0, 1);
    if (decimals > 0) digits.insert(digits.size() - static_cast<size_t>(decimals), 1, '.');
    if (negative && !zero) digits.insert(0, 1, '-');
    return digits;
}

namespace {

std::string FormatWithDigits(double value, std::string_view pattern, int significantDigits) {
    if (pattern == "#") {
        std::string text = FormatFixed(value, 0, significantDigits);
        return text == "0" ? std::string() : text;
    }
    if (pattern == "0") return FormatFixed(value, 0, significantDigits);
    if (pattern.size() >= 3 && pattern.substr(0, 2) == "0." &&
        pattern.find_first_not_of('0', 2) == std::string_view::npos)
        return FormatFixed(value, static_cast<int>(pattern.size() - 2), significantDigits);
    throw std::invalid_argument("unsupported number pattern: " + std::string(pattern));
}

} // namespace

std::string FormatNumber(double value, std::string_view pattern) {
    return FormatWithDigits(value, pattern, 15);
}

std::string FormatSingle(float value, std::string_view pattern) {
    return FormatWithDigits(static_cast<double>(value), pattern, 7);
}

std::string FormatDateMDY(const QDate& date) {
    return date.toString(QStringLiteral("MM-dd-yyyy")).toStdString();
}

std::string FormatTime24(const QTime& time) {
    return time.toString(QStringLiteral("HH:mm:ss")).toStdString();
}

QDate ParseDateMDY(std::string_view text) {
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).trimmed();
    const QStringList parts = s.split(QLatin1Char('-'));
    if (parts.size() != 3) return {};
    bool okM = false, okD = false, okY = false;
    const int m = parts[0].toInt(&okM), d = parts[1].toInt(&okD), y = parts[2].toInt(&okY);
    if (!okM || !okD || !okY) return {};
    return QDate(y, m, d);
}

} // namespace dilato

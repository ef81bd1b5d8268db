#pragma once
// One loosely typed slot of the system parameter table: a number, a text or nothing.
// A text turns into a number when the whole of it reads as one (blanks around it allowed);
// anything else is a type mismatch, as using such a slot as a number always was.

#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>

namespace dilato {

class ParamValue {
  public:
    ParamValue() = default;
    ParamValue(double number) : value_(number) {}
    ParamValue(int number) : value_(static_cast<double>(number)) {}
    ParamValue(std::string text) : value_(std::move(text)) {}
    ParamValue(const char* text) : value_(std::string(text)) {}

    [[nodiscard]] bool isEmpty() const { return std::holds_alternative<std::monostate>(value_); }
    [[nodiscard]] bool isNumber() const { return std::holds_alternative<double>(value_); }
    [[nodiscard]] bool isText() const { return std::holds_alternative<std::string>(value_); }

    // Empty is 0; a text must read whole as a number, else std::runtime_error("Type mismatch").
    [[nodiscard]] double number() const;
    // Empty is ""; a number is its shortest text with "." ("2", "0.5", "-0.125").
    [[nodiscard]] std::string text() const;

    bool operator==(const ParamValue&) const = default;

  private:
    std::variant<std::monostate, double, std::string> value_;
};

// The shortest decimal text of a number, up to 15 significant digits, "." as separator.
[[nodiscard]] std::string NumberText(double value);

// A slot formatted with a number pattern of FormatNumber ("#", "0", "0.00", ...): a number, or
// a text that reads whole as one, is formatted; any other text comes back unchanged, as
// formatting a word with a number pattern always did; empty formats as 0.
[[nodiscard]] std::string FormatParam(const ParamValue& value, std::string_view pattern);

} // namespace dilato

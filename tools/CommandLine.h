// The options and operands of one pixora command, and the checked conversion of their
// values. Problems with the command line are thrown as UsageError (exit status 2).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pixora::cli {

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct OptionInfo {
    const char* name;  // without the leading "--"
    bool takesValue;
};

class Arguments {
public:
    // Reads `--name value`, `--name=value`, flags and operands; "--" ends the options.
    // "--help" is always accepted.
    static Arguments Parse(std::span<const std::string> args, std::span<const OptionInfo> options);

    bool Has(std::string_view name) const;
    // The option's value, or null when the option was not given.
    const std::string* Value(std::string_view name) const;
    const std::vector<std::string>& Operands() const { return operands_; }

    // The option's value as an integer within [min, max]; `fallback` when not given.
    int32_t Integer(std::string_view name, int32_t min, int32_t max, int32_t fallback) const;
    std::optional<int32_t> OptionalInteger(std::string_view name, int32_t min, int32_t max) const;
    // A positive number of seconds (fractions allowed); empty when not given.
    std::optional<double> Seconds(std::string_view name) const;

private:
    std::map<std::string, std::string, std::less<>> options_;
    std::vector<std::string> operands_;
};

// Decimal with an optional sign, or hexadecimal with "0x"; empty for anything else or a
// value outside the 64-bit range.
std::optional<int64_t> ParseInteger(std::string_view text);

// `text` as an integer within [min, max]; throws UsageError naming `what` otherwise.
int32_t CheckedInteger(std::string_view text, int64_t min, int64_t max, std::string_view what);

}  // namespace pixora::cli

#include "CommandLine.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace pixora::cli {

namespace {

const OptionInfo* FindOption(std::span<const OptionInfo> options, std::string_view name) {
    for (const OptionInfo& option : options) {
        if (name == option.name)
            return &option;
    }
    return nullptr;
}

}  // namespace

Arguments Arguments::Parse(std::span<const std::string> args, std::span<const OptionInfo> options) {
    Arguments parsed;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            // A lone "-" and negative numbers are operands.
            if (!optionsEnded && arg.size() >= 2 && arg[0] == '-' && !ParseInteger(arg))
                throw UsageError("unknown option '" + arg + "'");
            parsed.operands_.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg.substr(2);
        std::optional<std::string> inlineValue;
        if (const size_t eq = name.find('='); eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        if (name == "help") {
            parsed.options_["help"] = "";
            continue;
        }
        const OptionInfo* option = FindOption(options, name);
        if (option == nullptr)
            throw UsageError("unknown option '--" + name + "'");
        if (!option->takesValue) {
            if (inlineValue)
                throw UsageError("option '--" + name + "' takes no value");
            parsed.options_[name] = "";
            continue;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size())
                throw UsageError("option '--" + name + "' needs a value");
            inlineValue = args[++i];
        }
        parsed.options_[name] = *inlineValue;
    }
    return parsed;
}

bool Arguments::Has(std::string_view name) const {
    return options_.find(name) != options_.end();
}

const std::string* Arguments::Value(std::string_view name) const {
    const auto it = options_.find(name);
    return it == options_.end() ? nullptr : &it->second;
}

int32_t Arguments::Integer(std::string_view name, int32_t min, int32_t max,
                           int32_t fallback) const {
    return OptionalInteger(name, min, max).value_or(fallback);
}

std::optional<int32_t> Arguments::OptionalInteger(std::string_view name, int32_t min,
                                                  int32_t max) const {
    const std::string* text = Value(name);
    if (text == nullptr)
        return std::nullopt;
    return CheckedInteger(*text, min, max, "--" + std::string(name));
}

std::optional<double> Arguments::Seconds(std::string_view name) const {
    const std::string* text = Value(name);
    if (text == nullptr)
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text->c_str(), &end);
    if (text->empty() || end != text->c_str() + text->size() || !std::isfinite(value) ||
        value <= 0 || value > 86400.0 * 365) {
        throw UsageError("--" + std::string(name) + " needs a positive number of seconds, not '" +
                         *text + "'");
    }
    return value;
}

std::optional<int64_t> ParseInteger(std::string_view text) {
    bool negative = false;
    std::string_view digits = text;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        negative = digits[0] == '-';
        digits.remove_prefix(1);
    }
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    }
    if (digits.empty())
        return std::nullopt;
    uint64_t magnitude = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    constexpr uint64_t kMax = uint64_t{1} << 62;
    if (magnitude > kMax)
        return std::nullopt;
    const auto value = static_cast<int64_t>(magnitude);
    return negative ? -value : value;
}

int32_t CheckedInteger(std::string_view text, int64_t min, int64_t max, std::string_view what) {
    const std::optional<int64_t> value = ParseInteger(text);
    if (!value || *value < min || *value > max) {
        throw UsageError(std::string(what) + " must be an integer from " + std::to_string(min) +
                         " to " + std::to_string(max) + ", not '" + std::string(text) + "'");
    }
    return static_cast<int32_t>(*value);
}

}  // namespace pixora::cli

#include "imaging/ToneTables.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace pixora {

void BuildGammaTable(int32_t gamma, uint16_t* table, int32_t size) {
    if (table == nullptr || size < 4 || size > kTable10Size) {
        return;
    }
    double exponent = gamma > 100 ? 1.0 + (gamma - 100) * 0.1 : gamma * 0.01;
    exponent = std::clamp(exponent, 0.001, 99.999);
    const int32_t top = size - 1;
    const double logTop = std::log10(static_cast<double>(top));

    // Entry i is j - 1 for the smallest j in 3..top with log10(j - 2) <= v <= log10(j). The
    // decade logarithms rise with j and log10(1) = 0 <= v, so that j is simply the first one
    // whose logarithm reaches v: a binary search over the precomputed logarithms finds it.
    double logs[kTable10Size];
    for (int32_t j = 1; j < size; ++j) {
        logs[j] = std::log10(static_cast<double>(j));
    }
    table[0] = 0;
    for (int32_t i = 1; i < size; ++i) {
        const double v = logTop + exponent * (logs[i] - logTop);
        if (v < 0) {
            table[i] = 1;
            continue;
        }
        const double* first = std::lower_bound(logs + 3, logs + size, v);
        const int32_t j = static_cast<int32_t>(first - logs);
        table[i] = static_cast<uint16_t>(j < size ? j - 1 : size - 1);
    }
}

void BuildContrastTable(int32_t contrast, uint16_t* table, int32_t size) {
    if (table == nullptr || size <= 0) {
        return;
    }
    // The stretch is 2^bits / (2 (2^(bits-1) - q)): the 10-bit tables use 4q.
    // Held far outside any setting so that 4q cannot overflow.
    const int32_t held = std::clamp(contrast, -1000000, 1000000);
    const int32_t q = size == kTable10Size ? 4 * held : held;
    const int32_t top = size - 1;
    const double factor = static_cast<double>(size) / (2.0 * (size / 2 - q));
    for (int32_t i = 0; i < size; ++i) {
        if (i < q) {
            table[i] = 0;
        } else if (i > top - q) {
            table[i] = static_cast<uint16_t>(top);
        } else {
            const double value = factor * (i - q);
            table[i] = static_cast<uint16_t>(
                std::clamp(static_cast<int64_t>(value), int64_t{0}, static_cast<int64_t>(top)));
        }
    }
}

void BuildBrightnessTable(int32_t brightness, uint16_t* table, int32_t size) {
    if (table == nullptr || size <= 0) {
        return;
    }
    double factor = 1.0;
    if (brightness < 0) {
        factor = 1.0 - std::abs(static_cast<double>(brightness)) / 255.0;
    } else if (brightness > 0) {
        factor = 1.0 + brightness * 10.0 / 255.0;
    }
    const double top = size - 1;
    for (int32_t i = 0; i < size; ++i) {
        const double value = std::clamp(std::trunc(i * factor), 0.0, top);
        table[i] = static_cast<uint16_t>(value);
    }
}

}  // namespace pixora

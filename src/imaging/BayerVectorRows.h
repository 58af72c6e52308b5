// The vector members of the Bayer interpolation, written once over a lane type: one row loop
// for the 8-bit mosaic (accelerated or exact scaling) and the 10-bit one. Each instruction set
// instantiates it with its own lanes (BayerInterpolationSse2.cpp, BayerInterpolationAvx2.cpp),
// the only place its intrinsics are named. The results are bit-exact copies of the scalar forms
// in BayerInterpolation.cpp, which also finish every row.
//
// A lane type L has
//   V, kBytes                   the vector and its width in bytes
//   Load(p)                     kBytes bytes from any address
//   Splat16(x), Splat32(x)      x in every 16- or 32-bit lane
//   Select(mask, set, clear)    per byte, `set` where the mask byte is 0xFF, else `clear`
//   And, Or, Xor, Add16, Sub8, MulLow16, ShiftLeft16(x, n), ShiftRight16(x, n)
//   Average8, MulHigh16         unsigned; the average rounds up
//   PackBytes(low, high)        16-bit lanes to bytes, saturating to 0..255
//   Weigh3To1(a, b, low, high)  3a + b of the bytes as 16-bit lanes, in the halves that
//                               PackBytes joins back in byte order
//   Store24, Store32            spread B, G, R byte vectors into pixels and store them
//   Min16, Store48, Store64     the same for words (Min16 unsigned), where 10-bit rows run
// A store has kPixelBytes and operator()(out, blue, green, red); 32- and 64-bit pixels keep
// their fourth byte or word. Processors without the instruction set get NoLanes, and every
// member runs its scalar form.
//
// Everything here is a template, so each instantiation takes the instruction set of the lanes'
// file, which includes this header inside its target region (imaging/VectorTarget.h) with the
// headers below already included.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/PixelRegion.h"
#include "imaging/BayerInterpolation.h"
#include "imaging/BayerPixel.h"
#include "imaging/BayerSites.h"
#include "imaging/KernelBlocks.h"

namespace pixora::bayer {

struct NoLanes {
    using V = int32_t;  // only for the declarations that name it
    static constexpr int32_t kBytes = 0;
};

// 3x in 16-bit lanes.
template <typename L>
typename L::V Times3(typename L::V x) {
    return L::Add16(L::ShiftLeft16(x, 1), x);
}

// 9 near + 3 nearOther + 3 far + farOther in 16-bit lanes, from first = 3 near + nearOther and
// second = 3 far + farOther.
template <typename L>
typename L::V Weigh9331(typename L::V first, typename L::V second) {
    return L::Add16(Times3<L>(first), second);
}

// Accelerated gain scaling, ((sum / 16) x factor) / 128: exact for factors up to 256.
template <typename L>
typename L::V ScaleFast(typename L::V sum, typename L::V factor) {
    return L::ShiftRight16(L::MulLow16(L::ShiftRight16(sum, 4), factor), 7);
}

// Reference gain scaling, sum x factor / 2048: the 32-bit product shifted right by 11,
// assembled from its low and high halves; exact for factors up to 2047.
template <typename L>
typename L::V ScaleExact(typename L::V sum, typename L::V factor) {
    return L::Or(L::ShiftLeft16(L::MulHigh16(sum, factor), 5),
                 L::ShiftRight16(L::MulLow16(sum, factor), 11));
}

// The rows of one vector member: the interior of every interior row, `Mosaic::kSamples` at a
// time, the rest of each row by the scalar form.
template <typename Mosaic, typename Store>
void VectorRows(const PixelRegion& region, int32_t bayerMode, int32_t redFactor,
                int32_t blueFactor) {
    using L = typename Mosaic::Lanes;
    using V = typename L::V;
    constexpr int32_t kStep = Mosaic::kSamples;
    constexpr ptrdiff_t kPixelBytes = Store::kPixelBytes;
    const Store store;
    const V evenLanes = L::Splat32(Mosaic::kEvenLanes);
    const V oddLanes = L::Splat32(~Mosaic::kEvenLanes);
    for (int32_t row = 2; row <= region.height - 3; ++row) {
        const int32_t rowPhase = RowPhase(bayerMode, region.sourceRow + row);
        const uint8_t* rowP = region.SourceRow(row - 2);
        const uint8_t* rowA = region.SourceRow(row - 1);
        const uint8_t* rowB = region.SourceRow(row);
        const uint8_t* rowN = region.SourceRow(row + 1);
        // Channel A has its quad sample on row - 1 (red on phase-0 rows), channel B on row.
        const V factorA = L::Splat16(rowPhase == 0 ? redFactor : blueFactor);
        const V factorB = L::Splat16(rowPhase == 0 ? blueFactor : redFactor);
        // Lanes whose column phase equals the row phase: channel A's quad column is the
        // sample's own there, channel B's the one before; elsewhere the other way round.
        const int32_t firstColumn = 2;
        const V match = ColumnPhase(bayerMode, region.sourceColumn + firstColumn) == rowPhase
                            ? evenLanes
                            : oddLanes;
        uint8_t* out = region.DestRow(row) + firstColumn * kPixelBytes;
        int32_t column = firstColumn;
        for (; column + kStep + 2 <= region.width; column += kStep, out += kStep * kPixelBytes) {
            const V aM1 = Mosaic::Load(rowA, column - 1);
            const V a0 = Mosaic::Load(rowA, column);
            const V bM1 = Mosaic::Load(rowB, column - 1);
            const V b0 = Mosaic::Load(rowB, column);
            // Channel A: quad column c (far c - 2) on matching lanes, c - 1 (far c + 1) else.
            const V channelA = Mosaic::Channel(
                L::Select(match, a0, aM1),
                L::Select(match, Mosaic::Load(rowN, column), Mosaic::Load(rowN, column - 1)),
                L::Select(match, Mosaic::Load(rowA, column - 2), Mosaic::Load(rowA, column + 1)),
                L::Select(match, Mosaic::Load(rowN, column - 2), Mosaic::Load(rowN, column + 1)),
                factorA);
            // Channel B: the other way round.
            const V channelB = Mosaic::Channel(
                L::Select(match, bM1, b0),
                L::Select(match, Mosaic::Load(rowP, column - 1), Mosaic::Load(rowP, column)),
                L::Select(match, Mosaic::Load(rowB, column + 1), Mosaic::Load(rowB, column - 2)),
                L::Select(match, Mosaic::Load(rowP, column + 1), Mosaic::Load(rowP, column - 2)),
                factorB);
            // Green: the quad's greens (on row - 1 one column back on matching lanes).
            const V green = Mosaic::Green(L::Select(match, aM1, a0), L::Select(match, b0, bM1));
            const V red = rowPhase == 0 ? channelA : channelB;
            const V blue = rowPhase == 0 ? channelB : channelA;
            store(out, blue, green, red);
        }
        Mosaic::RowRest(region, row, column, bayerMode, redFactor, blueFactor);
    }
}

// The rows into `Store`'s pixels when the destination has that size; false otherwise.
template <typename Mosaic, typename Store>
bool RowsInto(const PixelRegion& region, int32_t bayerMode, int32_t redFactor, int32_t blueFactor) {
    if (region.destBytesPerPixel != Store::kPixelBytes) {
        return false;
    }
    VectorRows<Mosaic, Store>(region, bayerMode, redFactor, blueFactor);
    return true;
}

enum class Scaling { Fast, Exact };

// The 8-bit mosaic, kBytes samples per step: with the accelerated arithmetic into 24-bit
// pixels, with the reference arithmetic into 24- or 32-bit ones.
template <typename L, Scaling Kind>
struct Mosaic8 {
    using Lanes = L;
    using V = typename L::V;
    static constexpr int32_t kSamples = L::kBytes;
    static constexpr int32_t kSourceBytes = 1;
    static constexpr uint32_t kEvenLanes = 0x00FF00FF;

    static bool FactorsFit(int32_t redFactor, int32_t blueFactor) {
        if constexpr (Kind == Scaling::Fast) {
            return FastFactorsFit(redFactor, blueFactor);
        } else {
            return ExactFactorsFit(redFactor, blueFactor);
        }
    }
    static void Scalar(const PixelRegion& region, const InterpolationBlock& block) {
        if constexpr (Kind == Scaling::Fast) {
            InterpolateFast8(region, block);
        } else {
            InterpolateReference8(region, block);
        }
    }
    static void RowRest(const PixelRegion& region, int32_t row, int32_t column, int32_t bayerMode,
                        int32_t redFactor, int32_t blueFactor) {
        const int32_t end = region.width - 2;
        if constexpr (Kind == Scaling::Fast) {
            FastRowScalar(region, row, column, end, bayerMode, redFactor, blueFactor);
        } else {
            ReferenceRowScalar(region, row, column, end, bayerMode, redFactor, blueFactor);
        }
    }
    static bool Rows(const PixelRegion& region, int32_t bayerMode, int32_t redFactor,
                     int32_t blueFactor) {
        using Run = Mosaic8<L, Kind>;
        if constexpr (Kind == Scaling::Fast) {
            return RowsInto<Run, typename L::Store24>(region, bayerMode, redFactor, blueFactor);
        } else {
            return RowsInto<Run, typename L::Store24>(region, bayerMode, redFactor, blueFactor) ||
                   RowsInto<Run, typename L::Store32>(region, bayerMode, redFactor, blueFactor);
        }
    }

    static V Load(const uint8_t* row, int32_t column) { return L::Load(row + column); }

    // Weighted sums in 16-bit lanes, scaled, and saturated to bytes.
    static V Channel(V near, V nearOther, V far, V farOther, V factor) {
        V firstLow;
        V firstHigh;
        V secondLow;
        V secondHigh;
        L::Weigh3To1(near, nearOther, firstLow, firstHigh);
        L::Weigh3To1(far, farOther, secondLow, secondHigh);
        return L::PackBytes(Scale(Weigh9331<L>(firstLow, secondLow), factor),
                            Scale(Weigh9331<L>(firstHigh, secondHigh), factor));
    }
    static V Scale(V sum, V factor) {
        if constexpr (Kind == Scaling::Fast) {
            return ScaleFast<L>(sum, factor);
        } else {
            return ScaleExact<L>(sum, factor);
        }
    }

    // Truncating mean: the rounded-up one less the dropped low bit.
    static V Green(V a, V b) {
        return L::Sub8(L::Average8(a, b), L::And(L::Xor(a, b), L::Splat32(0x01010101)));
    }
};

// The 10-bit mosaic, kBytes / 2 little-endian words per step, into 48- or 64-bit pixels with
// the reference arithmetic, words and results held to 1023.
template <typename L>
struct Mosaic10 {
    using Lanes = L;
    using V = typename L::V;
    static constexpr int32_t kSamples = L::kBytes / 2;
    static constexpr int32_t kSourceBytes = 2;
    static constexpr uint32_t kEvenLanes = 0x0000FFFF;

    static bool FactorsFit(int32_t redFactor, int32_t blueFactor) {
        return ExactFactorsFit(redFactor, blueFactor);
    }
    static void Scalar(const PixelRegion& region, const InterpolationBlock& block) {
        Interpolate16(region, block);
    }
    static void RowRest(const PixelRegion& region, int32_t row, int32_t column, int32_t bayerMode,
                        int32_t redFactor, int32_t blueFactor) {
        Row16Scalar(region, row, column, region.width - 2, bayerMode, redFactor, blueFactor);
    }
    static bool Rows(const PixelRegion& region, int32_t bayerMode, int32_t redFactor,
                     int32_t blueFactor) {
        using Run = Mosaic10<L>;
        return RowsInto<Run, typename L::Store48>(region, bayerMode, redFactor, blueFactor) ||
               RowsInto<Run, typename L::Store64>(region, bayerMode, redFactor, blueFactor);
    }

    // Words above 1023 are read as 1023, as the scalar form reads them.
    static V Load(const uint8_t* row, int32_t column) {
        return L::Min16(L::Load(row + 2 * ptrdiff_t{column}), L::Splat16(1023));
    }

    // 1023 for products above 0x1FFFFF (the quotient reaching 1024).
    static V Channel(V near, V nearOther, V far, V farOther, V factor) {
        const V first = L::Add16(Times3<L>(near), nearOther);
        const V second = L::Add16(Times3<L>(far), farOther);
        return L::Min16(ScaleExact<L>(Weigh9331<L>(first, second), factor), L::Splat16(1023));
    }

    static V Green(V a, V b) { return L::ShiftRight16(L::Add16(a, b), 1); }
};

// One vector member: its rows in lanes where the lanes take the region's pixel sizes and the
// gains, else the scalar form of the same arithmetic.
template <typename Mosaic>
void Member(const PixelRegion& region, const InterpolationBlock& block) {
    if constexpr (Mosaic::Lanes::kBytes > 0) {
        const int32_t redFactor = GainFactor(block.gainR);
        const int32_t blueFactor = GainFactor(block.gainB);
        if (!region.IsEmpty() && region.sourceBytesPerPixel == Mosaic::kSourceBytes &&
            Mosaic::FactorsFit(redFactor, blueFactor) &&
            Mosaic::Rows(region, block.bayerMode, redFactor, blueFactor)) {
            return;
        }
    }
    Mosaic::Scalar(region, block);
}

}  // namespace pixora::bayer

// Which colour a mosaic sample has. The Bayer mode (0..3) says on which corner of the 2 x 2
// pattern the image starts: bit 0 flips the row phase, bit 1 the column phase. Every kernel
// takes a sample's phase from its own row and column in the image, so rows of any width
// (odd ones included) keep their true colours.
#pragma once

#include <cstdint>

namespace pixora {

inline int32_t RowPhase(int32_t bayerMode, int32_t row) {
    return (row + (bayerMode & 1)) & 1;
}
inline int32_t ColumnPhase(int32_t bayerMode, int32_t column) {
    return (column + ((bayerMode >> 1) & 1)) & 1;
}

// Colour path: phase (0, 0) and (1, 1) green, (0, 1) blue, (1, 0) red; so mode 0 reads
// G B / R G, mode 1 R G / G B, mode 2 B G / G R, mode 3 G R / B G.
enum class MosaicColor { Green, Blue, Red };

inline MosaicColor ColorAtPhase(int32_t rowPhase, int32_t columnPhase) {
    if (rowPhase == columnPhase) {
        return MosaicColor::Green;
    }
    return rowPhase == 0 ? MosaicColor::Blue : MosaicColor::Red;
}

// Gray path: phase (0, 0) G1, (0, 1) R, (1, 0) B, (1, 1) G2; so mode 0 reads G1 R / B G2,
// mode 1 B G2 / G1 R, mode 2 R G1 / G2 B, mode 3 G2 B / R G1.
enum GraySite : int32_t { kGraySiteR = 0, kGraySiteG1 = 1, kGraySiteG2 = 2, kGraySiteB = 3 };

inline GraySite GraySiteAtPhase(int32_t rowPhase, int32_t columnPhase) {
    static constexpr GraySite kSites[2][2] = {{kGraySiteG1, kGraySiteR}, {kGraySiteB, kGraySiteG2}};
    return kSites[rowPhase & 1][columnPhase & 1];
}

}  // namespace pixora

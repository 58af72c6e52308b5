// Raw mosaics of the frame queue as PGM files, which demosaicing tools read as they are.
#pragma once

#include <string>

#include "PixoraExtensions.h"

namespace pixora::cli {

// Writes the frame's samples as a binary PGM: 8-bit samples with the maximum 255, 16-bit
// ones (10-bit values) with the maximum 1023 in big-endian words, as the format has them.
// Returns false with the reason in *error when the file cannot be written.
bool WriteMosaicPgm(const std::string& path, const PixoraStreamFrame& frame, std::string* error);

}  // namespace pixora::cli

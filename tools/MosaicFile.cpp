// PGM files of raw mosaics.
#include "MosaicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace pixora::cli {

namespace {

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

bool WriteMosaicPgm(const std::string& path, const PixoraStreamFrame& frame, std::string* error) {
    std::unique_ptr<std::FILE, FileClose> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        *error = std::strerror(errno);
        return false;
    }
    const bool wide = frame.bitsPerPixel == 16;
    std::fprintf(file.get(), "P5\n%d %d\n%d\n", frame.width, frame.height, wide ? 1023 : 255);
    const auto* rows = static_cast<const unsigned char*>(frame.pixels.data);
    const size_t rowBytes = static_cast<size_t>(frame.width) * (wide ? 2 : 1);
    std::vector<unsigned char> row(rowBytes);
    for (int32_t y = 0; y < frame.height; ++y) {
        const unsigned char* source = rows + static_cast<size_t>(y) * frame.stride;
        if (wide) {
            // The library's words are little-endian; PGM's are big-endian.
            for (size_t i = 0; i < rowBytes; i += 2) {
                row[i] = source[i + 1];
                row[i + 1] = source[i];
            }
        } else {
            std::memcpy(row.data(), source, rowBytes);
        }
        if (std::fwrite(row.data(), 1, rowBytes, file.get()) != rowBytes) {
            *error = std::strerror(errno);
            return false;
        }
    }
    if (std::fclose(file.release()) != 0) {
        *error = std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace pixora::cli

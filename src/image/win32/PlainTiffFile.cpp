#include "image/win32/PlainTiffFile.h"

#include <cerrno>
#include <cstdio>
#include <limits>
#include <vector>

#include "platform/ReplacingFile.h"

namespace pixora {

namespace {

constexpr uint16_t kShort = 3;
constexpr uint16_t kLong = 4;

void Put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v));
    Put16(out, static_cast<uint16_t>(v >> 16));
}

struct Entry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    uint32_t value;  // the value itself when it fits in four bytes, else its file offset
};

void PutEntry(std::vector<uint8_t>& out, const Entry& e) {
    Put16(out, e.tag);
    Put16(out, e.type);
    Put32(out, e.count);
    if (e.type == kShort && e.count == 1) {
        Put16(out, static_cast<uint16_t>(e.value));
        Put16(out, 0);
    } else {
        Put32(out, e.value);
    }
}

}  // namespace

bool WritePlainTiff(const char* path, const PlainTiffLayout& layout,
                    const PlainTiffRowFiller& fill) {
    const uint16_t spp = layout.samplesPerPixel;
    if (path == nullptr || path[0] == '\0' || !fill || layout.width == 0 || layout.height == 0 ||
        (layout.bitsPerSample != 8 && layout.bitsPerSample != 16) ||
        (spp != 1 && spp != 3 && spp != 4)) {
        return false;
    }
    const uint64_t rowBytes = uint64_t{layout.width} * spp * (layout.bitsPerSample / 8u);
    const uint64_t stripBytes = rowBytes * layout.height;
    // Offsets are 32-bit; the directory follows the strip at an even offset.
    constexpr uint64_t kHeaderBytes = 8;
    const uint64_t ifdOffset = (kHeaderBytes + stripBytes + 1) & ~uint64_t{1};
    if (ifdOffset + 512 > std::numeric_limits<uint32_t>::max())
        return false;

    std::vector<Entry> entries = {
        {256, kLong, 1, layout.width},
        {257, kLong, 1, layout.height},
        {258, kShort, spp, layout.bitsPerSample},
        {259, kShort, 1, 1},
        {262, kShort, 1, spp == 1 ? 1u : 2u},  // photometric: black is zero, or RGB
        {273, kLong, 1, static_cast<uint32_t>(kHeaderBytes)},
        {277, kShort, 1, spp},
        {278, kLong, 1, layout.height},
        {279, kLong, 1, static_cast<uint32_t>(stripBytes)},
        {284, kShort, 1, 1},
    };
    if (spp == 4)
        entries.push_back({338, kShort, 1, 0});
    // Bits per sample of more than two samples lives after the directory.
    const auto afterIfd = static_cast<uint32_t>(ifdOffset + 2 + entries.size() * 12 + 4);
    std::vector<uint8_t> directory;
    Put16(directory, static_cast<uint16_t>(entries.size()));
    for (Entry e : entries) {
        if (e.tag == 258 && spp > 2) {
            e.value = afterIfd;
        } else if (e.tag == 258 && spp == 1) {
            e.value = layout.bitsPerSample;
        }
        PutEntry(directory, e);
    }
    Put32(directory, 0);  // no further directory
    if (spp > 2) {
        for (uint16_t s = 0; s < spp; ++s)
            Put16(directory, layout.bitsPerSample);
    }

    std::vector<uint8_t> header = {'I', 'I', 42, 0};
    Put32(header, static_cast<uint32_t>(ifdOffset));

    errno = 0;
    ReplacingFile output;
    if (!output.Open(path, nullptr) || output.Stream() == nullptr)
        return false;
    std::FILE* file = output.Stream();
    auto write = [file](const void* data, size_t size) {
        return std::fwrite(data, 1, size, file) == size;
    };
    bool ok = write(header.data(), header.size());
    std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
    for (uint32_t r = 0; ok && r < layout.height; ++r) {
        fill(r, row.data());
        ok = write(row.data(), row.size());
    }
    if (ok && (stripBytes & 1) != 0) {
        const uint8_t pad = 0;
        ok = write(&pad, 1);
    }
    ok = ok && write(directory.data(), directory.size());
    return ok && output.Commit(nullptr);
}

}  // namespace pixora

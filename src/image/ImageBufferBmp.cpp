// BMP output of an ImageBuffer: the image exactly as it lies in memory.
#include "image/ImageBuffer.h"
#include "image/OutputFile.h"

namespace pixora {

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kColorTableBytes = ImageBuffer::kColorTableSize * 4;

void Put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

// The info header in file byte order, whatever the host's.
void EncodeInfoHeader(const BitmapInfoHeader& h, uint8_t* out) {
    Put32(out + 0, h.biSize);
    Put32(out + 4, static_cast<uint32_t>(h.biWidth));
    Put32(out + 8, static_cast<uint32_t>(h.biHeight));
    Put16(out + 12, h.biPlanes);
    Put16(out + 14, h.biBitCount);
    Put32(out + 16, h.biCompression);
    Put32(out + 20, h.biSizeImage);
    Put32(out + 24, static_cast<uint32_t>(h.biXPelsPerMeter));
    Put32(out + 28, static_cast<uint32_t>(h.biYPelsPerMeter));
    Put32(out + 32, h.biClrUsed);
    Put32(out + 36, h.biClrImportant);
}

}  // namespace

int32_t ImageBuffer::WriteBmp(const char* path, std::string* why) const {
    // An empty image has nothing to write; no file is made for it.
    if (IsEmpty()) {
        return 0;
    }
    OutputFile file;
    if (!file.Open(path)) {
        if (why != nullptr)
            *why = file.Failure();
        return 0;
    }
    const bool withTable = bitsPerPixel_ <= 8;
    const uint32_t offset =
        kFileHeaderBytes + kInfoHeaderBytes + (withTable ? kColorTableBytes : 0);

    uint8_t head[kFileHeaderBytes + kInfoHeaderBytes] = {};
    Put16(head + 0, 0x4D42);  // "BM"
    Put32(head + 2, offset + static_cast<uint32_t>(SizeBytes()));
    Put32(head + 10, offset);
    EncodeInfoHeader(header_, head + kFileHeaderBytes);

    bool ok = file.Write(head, sizeof(head));
    if (withTable) {
        uint8_t table[kColorTableBytes];
        for (int i = 0; i < kColorTableSize; ++i) {
            table[4 * i + 0] = colorTable_[i].blue;
            table[4 * i + 1] = colorTable_[i].green;
            table[4 * i + 2] = colorTable_[i].red;
            table[4 * i + 3] = colorTable_[i].reserved;
        }
        ok = ok && file.Write(table, sizeof(table));
    }
    ok = ok && file.Write(bits_.get(), SizeBytes());
    // After a failed write the target stays as it was.
    ok = ok && file.Commit();
    if (!ok && why != nullptr)
        *why = file.Failure();
    return ok ? 1 : 0;
}

}  // namespace pixora

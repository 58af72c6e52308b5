// JPEG output through the imaging component's JPEG encoder, from 8-bit gray (stored gray)
// or 24-bit B, G, R images. The encoder offers no progressive scan script, so files are
// baseline whatever is asked; the decoded pixels are the same either way.
#include <algorithm>
#include <cstring>

#include "image/JpegWriter.h"
#include "image/win32/WicEncoder.h"

namespace pixora {

int32_t WriteJpeg(const char* path, const ImageBuffer* image, int32_t quality, bool progressive,
                  std::string* why) {
    (void)progressive;
    if (path == nullptr || path[0] == '\0' || image == nullptr || image->IsEmpty() ||
        (image->BitsPerPixel() != 8 && image->BitsPerPixel() != 24)) {
        return 0;
    }
    WicFrameFormat format{};
    format.container = GUID_ContainerFormatJpeg;
    format.pixelFormat =
        image->BitsPerPixel() == 8 ? GUID_WICPixelFormat8bppGray : GUID_WICPixelFormat24bppBGR;
    format.width = image->Width();
    format.height = image->Height();
    format.rowBytes = static_cast<uint32_t>(image->Width()) * image->BytesPerPixel();
    format.jpegQuality = std::clamp(quality, 0, 100);
    // Rows go in from the last memory row up, as the callers expect of this writer.
    const uint8_t* bits = image->Bits();
    const auto stride = static_cast<size_t>(image->Stride());
    const int32_t last = image->Height() - 1;
    const WicResult result = EncodeWithWic(path, format, [&](int32_t r, uint8_t* row) {
        std::memcpy(row, bits + static_cast<size_t>(last - r) * stride, format.rowBytes);
    });
    if (result != WicResult::Written && why != nullptr)
        *why = WicFailureText(path);
    return result == WicResult::Written ? 1 : 0;
}

}  // namespace pixora

#include "image/SaveWriters.h"

#include "image/JpegWriter.h"
#include "image/OutputFile.h"
#include "image/PngWriter.h"
#include "image/TiffWriter.h"

namespace pixora {

int32_t WriteBmpFile(const char* path, const ImageBuffer& image, const SaveFormatRow&,
                     std::string* why) {
    return image.WriteBmp(path, why);
}

int32_t WriteRawFile(const char* path, const ImageBuffer& image, const SaveFormatRow&,
                     std::string* why) {
    OutputFile file;
    if (!file.Open(path)) {
        if (why != nullptr)
            *why = file.Failure();
        return 0;
    }
    // After a failed write the target stays as it was.
    if (!file.Write(image.Bits(), image.SizeBytes()) || !file.Commit()) {
        if (why != nullptr)
            *why = file.Failure();
        return 0;
    }
    return 1;
}

int32_t WriteJpegFile(const char* path, const ImageBuffer& image, const SaveFormatRow& format,
                      std::string* why) {
    return WriteJpeg(path, &image, format.quality, true, why);
}

int32_t WritePngFile(const char* path, const ImageBuffer& image, const SaveFormatRow&,
                     std::string* why) {
    return WritePng(path, image.Bits(), image.Width(), image.Height(), image.BitsPerPixel(), why);
}

int32_t WriteTiffFile(const char* path, const ImageBuffer& image, const SaveFormatRow&,
                      std::string* why) {
    return WriteTiff(path, &image, why);
}

}  // namespace pixora

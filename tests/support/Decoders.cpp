#include "Decoders.h"

#include <png.h>
#include <tiffio.h>

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>

#include <jpeglib.h>

namespace pixora::test {

namespace {

// Long jumps out of the decoders skip no destructor: all state lives in *out or in plain
// locals set before the recovery point.
bool ReadPngStream(std::FILE* file, DecodedPng* out) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    out->width = png_get_image_width(png, info);
    out->height = png_get_image_height(png, info);
    out->bitDepth = png_get_bit_depth(png, info);
    out->colorType = png_get_color_type(png, info);
    out->channels = png_get_channels(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    out->rows.assign(out->height, std::vector<uint8_t>(rowBytes));
    for (auto& row : out->rows) {
        png_read_row(png, row.data(), nullptr);
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

void ListChunks(const std::string& path, std::vector<std::string>* chunks) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>()};
    size_t at = 8;
    while (at + 8 <= bytes.size()) {
        const uint32_t length = (uint32_t{bytes[at]} << 24) | (bytes[at + 1] << 16) |
                                (bytes[at + 2] << 8) | bytes[at + 3];
        chunks->emplace_back(reinterpret_cast<const char*>(&bytes[at + 4]), 4);
        at += 12 + static_cast<size_t>(length);
    }
}

struct JpegErrors {
    jpeg_error_mgr standard;
    std::jmp_buf recovery;
};

void JpegFail(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->recovery, 1);
}

bool ReadJpegStream(std::FILE* file, jpeg_decompress_struct& info, JpegErrors& errors,
                    DecodedJpeg* out) {
    info.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = JpegFail;
    if (setjmp(errors.recovery)) {
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    out->progressive = info.progressive_mode != 0;
    out->firstLumaQuant =
        info.quant_tbl_ptrs[0] != nullptr ? info.quant_tbl_ptrs[0]->quantval[0] : 0;
    jpeg_start_decompress(&info);
    out->width = info.output_width;
    out->height = info.output_height;
    out->components = info.output_components;
    const size_t rowBytes = static_cast<size_t>(info.output_width) * info.output_components;
    out->pixels.assign(rowBytes * info.output_height, 0);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out->pixels.data() + rowBytes * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

}  // namespace

bool DecodePng(const std::string& path, DecodedPng* out) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    const bool ok = ReadPngStream(file, out);
    std::fclose(file);
    ListChunks(path, &out->chunks);
    return ok;
}

bool DecodeJpeg(const std::string& path, DecodedJpeg* out) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    jpeg_decompress_struct info{};
    JpegErrors errors{};
    const bool ok = ReadJpegStream(file, info, errors, out);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return ok;
}

bool DecodeTiff(const std::string& path, DecodedTiff* out) {
    // "c": report the strips as stored, without the reader's virtual chopping.
    TIFF* tiff = TIFFOpen(path.c_str(), "rc");
    if (tiff == nullptr) {
        return false;
    }
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &out->width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &out->height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &out->bitsPerSample);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &out->samplesPerPixel);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &out->photometric);
    const uint16_t* extraKinds = nullptr;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &out->extraSamples, &extraKinds);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &out->compression);
    out->strips = TIFFNumberOfStrips(tiff);
    out->firstStripBytes = TIFFGetStrileByteCount(tiff, 0);
    out->scanlineBytes = TIFFScanlineSize64(tiff);
    bool ok = out->scanlineBytes > 0;
    for (uint32_t r = 0; ok && r < out->height; ++r) {
        std::vector<uint8_t> row(static_cast<size_t>(out->scanlineBytes));
        ok = TIFFReadScanline(tiff, row.data(), r, 0) == 1;
        out->rows.push_back(std::move(row));
    }
    TIFFClose(tiff);
    return ok;
}

}  // namespace pixora::test

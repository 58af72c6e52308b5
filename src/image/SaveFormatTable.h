// The file formats an image is saved in, one row each in the order of their codes: name,
// file extensions, the depths each takes and what it does to them before writing, and its
// writer. Saving (image/SaveImageFile) and the save-format extension
// (PixoraEx_GetSaveFormatInfo) read this table; the rows are in SaveFormatTable.cpp.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "image/ImageBuffer.h"

namespace pixora {

// Format codes (the values of the exported save function).
enum SaveFormat : uint32_t {
    kSaveBmp = 0,
    kSaveRaw = 1,      // pixel memory as it lies, rows with their padding, no header
    kSaveJpeg100 = 2,  // progressive JPEG, quality 100
    kSaveJpeg70 = 3,
    kSaveJpeg20 = 4,
    kSavePng = 5,
    kSaveTiff = 6,
};

// One image depth a format takes and what is written for it.
struct SaveDepth {
    uint16_t bitsPerPixel;      // the image's
    uint16_t fileBitsPerPixel;  // the written samples of one pixel
    // Converts the image into a scratch image of convertedBitsPerPixel before the writer
    // sees it; null: the writer gets the image itself.
    PixelKernel convert = nullptr;
    uint16_t convertedBitsPerPixel = 0;
    const char* conversion = "";  // what changes, for people; "" when nothing does
};

struct SaveFormatRow;

// Writes `image` (already converted for its depth) to `path`; 1 when the whole file was
// written, else 0 with the reason in *why when given.
using SaveWriter = int32_t (*)(const char* path, const ImageBuffer& image,
                               const SaveFormatRow& format, std::string* why);

struct SaveFormatRow {
    uint32_t code;            // SaveFormat
    const char* name;         // "jpeg70": lower case, as command lines take it
    const char* label;        // "JPEG, quality 70"
    const char* description;  // one line
    // Lower case with the dot, null-terminated; the first names new files. An extension
    // chooses the first format in the table that lists it.
    const char* const* extensions;
    std::span<const SaveDepth> depths;
    int32_t quality;  // a JPEG's quality; 0 for the others
    SaveWriter write;
};

// Every format, in the order of their codes.
std::span<const SaveFormatRow> SaveFormats();

// Null for a code that is none.
const SaveFormatRow* SaveFormatByCode(uint32_t code);

// The row's entry for an image depth; null when the format does not take it.
const SaveDepth* SaveDepthFor(const SaveFormatRow& format, uint32_t bitsPerPixel);

}  // namespace pixora

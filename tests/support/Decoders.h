// Independent readers for the files the writers make, through each library's own decoder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pixora::test {

struct DecodedPng {
    uint32_t width = 0;
    uint32_t height = 0;
    int bitDepth = 0;
    int colorType = 0;
    int channels = 0;
    // Rows exactly as stored (16-bit samples most significant byte first), top row first.
    std::vector<std::vector<uint8_t>> rows;
    // Chunk types in file order.
    std::vector<std::string> chunks;
};
bool DecodePng(const std::string& path, DecodedPng* out);

struct DecodedJpeg {
    uint32_t width = 0;
    uint32_t height = 0;
    int components = 0;
    bool progressive = false;
    uint16_t firstLumaQuant = 0;  // entry 0 of quantisation table 0
    // R, G, B (or gray) samples, top row first, width * components per row.
    std::vector<uint8_t> pixels;
};
bool DecodeJpeg(const std::string& path, DecodedJpeg* out);

struct DecodedTiff {
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t bitsPerSample = 0;
    uint16_t samplesPerPixel = 0;
    uint16_t photometric = 0;
    uint16_t extraSamples = 0;
    uint16_t compression = 0;
    uint32_t strips = 0;
    uint64_t firstStripBytes = 0;
    int64_t scanlineBytes = 0;
    // Rows as decoded (16-bit samples in host order), top row first, packed.
    std::vector<std::vector<uint8_t>> rows;
};
bool DecodeTiff(const std::string& path, DecodedTiff* out);

}  // namespace pixora::test

// The fuzz targets as plain functions: libFuzzer calls one of them per program
// (entry/LibFuzzerEntry.cpp), and the corpus replay suite calls each on its seeds.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pixora::fuzz {

// A byte string decoded into a sequence of export calls against the virtual camera, with
// stored settings and camera faults switched on and off on the way.
int FuzzApiSequence(const uint8_t* data, size_t size);
// The settings file reader and writer.
int FuzzRegistryText(const uint8_t* data, size_t size);
// The raw frame copy through the device: geometry, sample width and destination.
int FuzzRawCopy(const uint8_t* data, size_t size);
// The copy, conversion, row and scaling kernels through ImageBuffer::Apply and ApplyScaled.
int FuzzImageKernels(const uint8_t* data, size_t size);
// The virtual camera's settings text.
int FuzzSimSettings(const uint8_t* data, size_t size);
// The image file writers, read back with each library's decoder.
int FuzzImageWriters(const uint8_t* data, size_t size);

}  // namespace pixora::fuzz

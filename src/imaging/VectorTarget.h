// Regions of code compiled for AVX2. Every function defined between PIXORA_AVX2_BEGIN and
// PIXORA_AVX2_END may use AVX2, and so do the templates defined there when they are
// instantiated, wherever that happens. Only code that a processor check (imaging/
// ProcessorInfo.h) guards may call into a region.
//
// Regions rather than -mavx2 for whole files: an inline function of a shared header built with
// AVX2 in one file could be the copy the linker keeps for every caller. So a file includes all
// its headers before it opens a region, and the headers it includes inside (templates meant to
// take the region's instruction set, such as imaging/BayerVectorRows.h) have their own
// includes done by then. SSE2 is part of every x86-64 processor and needs no region.
#pragma once

#if defined(__x86_64__) && defined(__clang__)
#define PIXORA_AVX2_BEGIN \
    _Pragma("clang attribute push(__attribute__((target(\"avx2\"))), apply_to = function)")
#define PIXORA_AVX2_END _Pragma("clang attribute pop")
#elif defined(__x86_64__)
#define PIXORA_AVX2_BEGIN _Pragma("GCC push_options") _Pragma("GCC target(\"avx2\")")
#define PIXORA_AVX2_END _Pragma("GCC pop_options")
#else
#define PIXORA_AVX2_BEGIN
#define PIXORA_AVX2_END
#endif

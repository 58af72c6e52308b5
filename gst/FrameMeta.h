// The settings a frame was taken with, on its buffer: a GstCustomMeta named
// "PixoraFrameMeta" whose structure any element or application reads without this plugin's
// headers (gst_buffer_get_custom_meta, then gst_custom_meta_get_structure).
#pragma once

#include <gst/gst.h>

#include "PixoraExtensions.h"

namespace pixora::gst {

inline constexpr const char* kFrameMetaName = "PixoraFrameMeta";

// Registers the meta with GStreamer once per process.
void RegisterFrameMeta();
// Adds the meta of `meta` to `buffer`.
void AddFrameMeta(GstBuffer* buffer, const PixoraStreamMeta& meta);
// The name GStreamer's video/x-bayer caps give a pattern ("grbg"), or null for
// PIXORA_BAYER_NONE and unknown values.
const char* BayerFormat(int32_t pattern);

}  // namespace pixora::gst

#include "VideoFormats.h"

#include <iterator>

namespace pixora::gst {

namespace {

constexpr VideoMode kModes[] = {
    {24, GST_VIDEO_FORMAT_BGR, false},
    {32, GST_VIDEO_FORMAT_BGRx, false},
    {8, GST_VIDEO_FORMAT_GRAY8, false},
    {16, GST_VIDEO_FORMAT_GRAY16_LE, true},
};

GstCaps* CapsOf(const GValue* width, const GValue* height, const GValue* bayerFormat) {
    GstCaps* caps = gst_caps_new_empty();
    for (const VideoMode& mode : kModes) {
        // The rate is measured once the camera streams: until then any (0/1: variable).
        GstStructure* s = gst_structure_new("video/x-raw", "format", G_TYPE_STRING,
                                            gst_video_format_to_string(mode.format), "framerate",
                                            GST_TYPE_FRACTION_RANGE, 0, 1, G_MAXINT, 1,
                                            "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr);
        gst_structure_set_value(s, "width", width);
        gst_structure_set_value(s, "height", height);
        gst_caps_append_structure(caps, s);
    }
    if (bayerFormat != nullptr) {
        // The mosaic as the camera sends it, 8-bit samples: the demosaicers of GStreamer 1.22
        // take no 16-bit patterns.
        GstStructure* s =
            gst_structure_new("video/x-bayer", "framerate", GST_TYPE_FRACTION_RANGE, 0, 1, G_MAXINT,
                              1, "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr);
        gst_structure_set_value(s, "format", bayerFormat);
        gst_structure_set_value(s, "width", width);
        gst_structure_set_value(s, "height", height);
        gst_caps_append_structure(caps, s);
    }
    return caps;
}

// A side of the window as caps write it: one size, or a range on the control's steps.
void SetSide(GValue* value, const SizeRange& range) {
    if (range.minimum >= range.maximum) {
        g_value_init(value, G_TYPE_INT);
        g_value_set_int(value, range.minimum);
        return;
    }
    g_value_init(value, GST_TYPE_INT_RANGE);
    // GStreamer's stepped ranges start and end on multiples of the step.
    if (range.step > 1 && range.minimum % range.step == 0 && range.maximum % range.step == 0)
        gst_value_set_int_range_step(value, range.minimum, range.maximum, range.step);
    else
        gst_value_set_int_range(value, range.minimum, range.maximum);
}

}  // namespace

const VideoMode* VideoModes(size_t* count) {
    *count = std::size(kModes);
    return kModes;
}

const VideoMode* ModeOfFormat(GstVideoFormat format) {
    for (const VideoMode& mode : kModes) {
        if (mode.format == format)
            return &mode;
    }
    return nullptr;
}

const VideoMode* ModeOfBits(int32_t bits) {
    for (const VideoMode& mode : kModes) {
        if (mode.bits == bits)
            return &mode;
    }
    return nullptr;
}

GstCaps* CapsForSizes(const SizeRange& width, const SizeRange& height, const char* bayerFormat) {
    GValue w = G_VALUE_INIT;
    GValue h = G_VALUE_INIT;
    GValue pattern = G_VALUE_INIT;
    SetSide(&w, width);
    SetSide(&h, height);
    g_value_init(&pattern, G_TYPE_STRING);
    g_value_set_string(&pattern, bayerFormat);
    GstCaps* caps = CapsOf(&w, &h, bayerFormat != nullptr ? &pattern : nullptr);
    g_value_unset(&w);
    g_value_unset(&h);
    g_value_unset(&pattern);
    return caps;
}

bool IsBayer(const GstCaps* caps) {
    return gst_caps_get_size(caps) > 0 &&
           gst_structure_has_name(gst_caps_get_structure(caps, 0), "video/x-bayer");
}

GstCaps* TemplateCaps() {
    GValue range = G_VALUE_INIT;
    g_value_init(&range, GST_TYPE_INT_RANGE);
    gst_value_set_int_range(&range, 1, G_MAXINT);
    GValue patterns = G_VALUE_INIT;
    g_value_init(&patterns, GST_TYPE_LIST);
    for (const char* name : {"rggb", "grbg", "gbrg", "bggr"}) {
        GValue pattern = G_VALUE_INIT;
        g_value_init(&pattern, G_TYPE_STRING);
        g_value_set_static_string(&pattern, name);
        gst_value_list_append_and_take_value(&patterns, &pattern);
    }
    GstCaps* caps = CapsOf(&range, &range, &patterns);
    g_value_unset(&range);
    g_value_unset(&patterns);
    return caps;
}

void SpreadTenBitSamples(uint8_t* data, size_t bytes) {
    for (size_t i = 0; i + 1 < bytes; i += 2) {
        const unsigned sample = (data[i] | data[i + 1] << 8) & 0x3FFu;
        const unsigned word = sample << 6 | sample >> 4;
        data[i] = static_cast<uint8_t>(word);
        data[i + 1] = static_cast<uint8_t>(word >> 8);
    }
}

}  // namespace pixora::gst

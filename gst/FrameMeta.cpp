#include "FrameMeta.h"

namespace pixora::gst {

void RegisterFrameMeta() {
    static gsize once = 0;
    if (g_once_init_enter(&once)) {
        // No tags: the meta says nothing of the pixels' layout, so it stays on buffers that
        // elements convert or scale.
        static const gchar* tags[] = {nullptr};
        if (gst_meta_get_info(kFrameMetaName) == nullptr)
            gst_meta_register_custom(kFrameMetaName, tags, nullptr, nullptr, nullptr);
        g_once_init_leave(&once, 1);
    }
}

const char* BayerFormat(int32_t pattern) {
    switch (pattern) {
        case PIXORA_BAYER_RGGB:
            return "rggb";
        case PIXORA_BAYER_GRBG:
            return "grbg";
        case PIXORA_BAYER_GBRG:
            return "gbrg";
        case PIXORA_BAYER_BGGR:
            return "bggr";
        default:
            return nullptr;
    }
}

void AddFrameMeta(GstBuffer* buffer, const PixoraStreamMeta& meta) {
    GstCustomMeta* custom = gst_buffer_add_custom_meta(buffer, kFrameMetaName);
    if (custom == nullptr)
        return;
    GstStructure* s = gst_custom_meta_get_structure(custom);
    gst_structure_set(
        s, "sequence", G_TYPE_UINT64, static_cast<guint64>(meta.sequence), "timestamp-us",
        G_TYPE_UINT64, static_cast<guint64>(meta.timestampUs), "dropped", G_TYPE_INT, meta.dropped,
        "triggered", G_TYPE_BOOLEAN, meta.triggered != 0, "color-mode", G_TYPE_INT, meta.colorMode,
        "exposure", G_TYPE_INT, meta.exposure, "analog-gain", G_TYPE_INT, meta.analogGain,
        "white-balance-red", G_TYPE_INT, meta.whiteBalanceRed, "white-balance-green", G_TYPE_INT,
        meta.whiteBalanceGreen, "white-balance-blue", G_TYPE_INT, meta.whiteBalanceBlue, nullptr);
    if (const char* pattern = BayerFormat(meta.bayerPattern))
        gst_structure_set(s, "bayer-pattern", G_TYPE_STRING, pattern, nullptr);
}

}  // namespace pixora::gst

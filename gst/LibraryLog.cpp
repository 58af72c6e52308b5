#include "LibraryLog.h"

#include "PixoraExtensions.h"

namespace pixora::gst {

namespace {

GstDebugLevel LevelOf(int32_t level) {
    switch (level) {
        case PIXORA_LOG_ERROR:
            return GST_LEVEL_ERROR;
        case PIXORA_LOG_WARNING:
            return GST_LEVEL_WARNING;
        case PIXORA_LOG_INFO:
            return GST_LEVEL_INFO;
        default:
            return GST_LEVEL_DEBUG;
    }
}

// Any thread of the library may call this; GStreamer's log takes messages from any thread.
void LogToGstreamer(int32_t level, const char* text, void* context) {
    auto* category = static_cast<GstDebugCategory*>(context);
    GST_CAT_LEVEL_LOG(category, LevelOf(level), nullptr, "%s", text);
}

}  // namespace

void RouteLibraryLog(GstDebugCategory* category) {
    PixoraEx_SetLogHandler(LogToGstreamer, category);
}

}  // namespace pixora::gst

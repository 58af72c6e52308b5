#include "FrameBuffer.h"

#include <memory>

namespace pixora::gst {

namespace {

// GStreamer frees a wrapped memory on whichever thread drops the last reference; the library
// takes frames back on any thread, also after the stream or the camera ended.
void GiveBack(gpointer data) {
    std::unique_ptr<PixoraStreamFrame> frame(static_cast<PixoraStreamFrame*>(data));
    PixoraEx_ReturnFrame(frame.get());
}

void AddVideoMeta(GstBuffer* buffer, const PixoraStreamFrame& frame, GstVideoFormat format) {
    if (format != GST_VIDEO_FORMAT_UNKNOWN) {
        gsize offset[GST_VIDEO_MAX_PLANES] = {0};
        gint stride[GST_VIDEO_MAX_PLANES] = {frame.stride};
        gst_buffer_add_video_meta_full(buffer, GST_VIDEO_FRAME_FLAG_NONE, format,
                                       static_cast<guint>(frame.width),
                                       static_cast<guint>(frame.height), 1, offset, stride);
    }
}

}  // namespace

GstBuffer* WrapFrame(const PixoraStreamFrame& frame, GstVideoFormat format) {
    auto held = std::make_unique<PixoraStreamFrame>(frame);
    const auto bytes = static_cast<gsize>(frame.bytes);
    GstMemory* memory = gst_memory_new_wrapped(static_cast<GstMemoryFlags>(0), frame.pixels.data,
                                               bytes, 0, bytes, held.release(), GiveBack);
    GstBuffer* buffer = gst_buffer_new();
    gst_buffer_append_memory(buffer, memory);
    AddVideoMeta(buffer, frame, format);
    return buffer;
}

GstBuffer* CopyFrame(const PixoraStreamFrame& frame, GstVideoFormat format) {
    const auto bytes = static_cast<gsize>(frame.bytes);
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, bytes, nullptr);
    gst_buffer_fill(buffer, 0, frame.pixels.data, bytes);
    PixoraEx_ReturnFrame(&frame);
    AddVideoMeta(buffer, frame, format);
    return buffer;
}

}  // namespace pixora::gst

// A frame of the camera's queue as a GstBuffer without a copy: the buffer's memory is the
// library's, and the frame goes back to the queue when the last reference to it is gone.
#pragma once

#include <gst/gst.h>
#include <gst/video/video.h>

#include "PixoraExtensions.h"

namespace pixora::gst {

// Wraps `frame`, taken from a queue and not yet returned; the buffer owns it from now on.
// `format` is the frame's video format for a GstVideoMeta with the library's stride, or
// GST_VIDEO_FORMAT_UNKNOWN for a mosaic (video/x-bayer rows are the width rounded up to 4
// bytes, which is the library's stride too).
GstBuffer* WrapFrame(const PixoraStreamFrame& frame, GstVideoFormat format);
// Copies `frame` into a buffer of its own and gives the frame back to its queue at once: for
// a pipeline that holds so many buffers (an encoder's look-ahead, a queue) that the camera
// would have none left.
GstBuffer* CopyFrame(const PixoraStreamFrame& frame, GstVideoFormat format);

}  // namespace pixora::gst

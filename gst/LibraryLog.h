// The camera library's log in GStreamer's debug log: what the library has to say that no
// call can return (a settings file it will not rewrite, an image library's warning) under
// the element's category, at the matching level.
#pragma once

#include <gst/gst.h>

namespace pixora::gst {

// Installs the library's log handler for the process; `category` lives as long as it.
void RouteLibraryLog(GstDebugCategory* category);

}  // namespace pixora::gst

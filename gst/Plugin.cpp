// The plugin module, libgstpixora.so, that GStreamer loads from its plugin folders.
#include "PixoraSrc.h"

// GST_PLUGIN_DEFINE names the package of the plugin's translations by this macro.
#define PACKAGE PIXORA_PLUGIN_PACKAGE

namespace {

gboolean PluginInit(GstPlugin* plugin) {
    return pixora_src_register(plugin);
}

}  // namespace

GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, pixora, PIXORA_PLUGIN_DESCRIPTION,
                  PluginInit, PIXORA_PLUGIN_VERSION, PIXORA_PLUGIN_LICENSE, PIXORA_PLUGIN_PACKAGE,
                  PIXORA_PLUGIN_PACKAGE)

// pixorasrc: a live video source of the 530TZ camera, over the library's public C interface.
#pragma once

#include <gst/base/gstpushsrc.h>

G_BEGIN_DECLS

// What GStreamer shows of the plugin, for the module and for in-process registration.
#define PIXORA_PLUGIN_NAME "pixora"
#define PIXORA_PLUGIN_DESCRIPTION "Video source of the 530TZ camera through its library"
#define PIXORA_PLUGIN_LICENSE "Proprietary"
#define PIXORA_PLUGIN_PACKAGE "PixoraSdk_530TZ"

#define PIXORA_TYPE_SRC (pixora_src_get_type())
G_DECLARE_FINAL_TYPE(PixoraSrc, pixora_src, PIXORA, SRC, GstPushSrc)

// Registers pixorasrc with `plugin` (the plugin's init function).
gboolean pixora_src_register(GstPlugin* plugin);

// Registers the plugin "pixora" with pixorasrc inside this process, for programs and tests
// that carry the element themselves rather than loading the plugin's module. After
// gst_init; TRUE when the element is there.
gboolean pixora_gst_register_static(void);

G_END_DECLS

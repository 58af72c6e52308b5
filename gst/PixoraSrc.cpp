// The element: GObject properties and the base classes' virtual functions over CameraSource
// and CameraSettings.
#include "PixoraSrc.h"

#include <gst/video/video.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <numeric>
#include <optional>
#include <string>
#include <thread>

#include "CameraSettings.h"
#include "CameraSource.h"
#include "CaptureWindow.h"
#include "FrameBuffer.h"
#include "FrameMeta.h"
#include "FrameTiming.h"
#include "LibraryLog.h"
#include "VideoFormats.h"

GST_DEBUG_CATEGORY_STATIC(pixora_src_debug);
#define GST_CAT_DEFAULT pixora_src_debug

namespace {

using pixora::gst::CameraFailure;
using pixora::gst::CameraSettings;
using pixora::gst::CameraSource;
using pixora::gst::LatencyTracker;
using pixora::gst::SettingInfo;
using pixora::gst::Settings;
using pixora::gst::StreamShape;
using pixora::gst::Take;
using pixora::gst::WhiteBalance;

// Buffers of the camera's queue: frames the pipeline may hold or fall behind by before the
// element drops one. Sinks keep their last buffer, so a few more than two.
constexpr guint kDefaultQueueSize = 8;

enum Property : guint {
    PROP_0,
    PROP_DEVICE,
    PROP_TRIGGER,
    PROP_TIMEOUT,
    PROP_QUEUE_SIZE,
    PROP_WHITE_BALANCE,
    PROP_STATS,
    PROP_FIRST_SETTING,  // Settings()[i] is PROP_FIRST_SETTING + i
};

// The element's own state; the GObject instance holds it by pointer.
struct SourceState {
    CameraSource camera;
    CameraSettings settings;

    std::mutex mutex;  // guards what follows
    int32_t device = 0;
    bool trigger = false;
    guint timeoutMs = 0;
    guint queueSize = kDefaultQueueSize;
    int32_t bits = 24;                             // the negotiated colour mode
    GstVideoFormat format = GST_VIDEO_FORMAT_BGR;  // UNKNOWN for the mosaic
    bool raw = false;                              // video/x-bayer: the raw mosaic
    int32_t width = 0;                             // the negotiated window size
    int32_t height = 0;
    // The window's size when the camera was opened, which the caps prefer.
    int32_t storedWidth = 0;
    int32_t storedHeight = 0;
    bool flushing = false;            // unlock() until unlock_stop()
    bool paused = false;              // from PLAYING to PAUSED until PLAYING again
    std::condition_variable resumed;  // paused or flushing changed
    bool capturing = false;
    StreamShape running;  // of the stream while capturing
    // Frames taken to measure the rate, handed on before any other (streaming thread only).
    std::deque<PixoraStreamFrame> early;
    GstClockTime period = 0;  // one frame at the measured rate; 0: not known (trigger)
    // The rate measured at the first start in a shape and window size, which later starts in
    // them reuse (a smaller window takes less time to read out).
    struct Measured {
        int32_t device = -1;
        int32_t bits = 0;
        bool raw = false;
        int32_t width = 0;
        int32_t height = 0;
        uint64_t rate = 0;  // frames per second times 1000
    } measured;
    guint64 frames = 0;      // buffers made since start()
    guint64 dropped = 0;     // frames the camera sent that no buffer carries
    guint64 failedSeen = 0;  // the library's failed frames already told about
    PixoraFrameCounts lastCounts{};
    LatencyTracker latency;
};

}  // namespace

struct _PixoraSrc {
    GstPushSrc parent;
    SourceState* state;
};

G_DEFINE_TYPE(PixoraSrc, pixora_src, GST_TYPE_PUSH_SRC)

namespace {

SourceState& State(gpointer object) {
    return *PIXORA_SRC(object)->state;
}

GType WhiteBalanceType() {
    static GType type = 0;
    if (g_once_init_enter(&type)) {
        static const GEnumValue values[] = {
            {static_cast<gint>(WhiteBalance::Off), "Gains stay as they are", "off"},
            {static_cast<gint>(WhiteBalance::Once),
             "Measured on the first frame, then kept for the run", "once"},
            {static_cast<gint>(WhiteBalance::Continuous), "Measured on every frame", "continuous"},
            {0, nullptr, nullptr},
        };
        g_once_init_leave(&type, g_enum_register_static("PixoraSrcWhiteBalance", values));
    }
    return type;
}

// The enumeration type of a control's property: "PixoraSrcAutoExposure" for the property
// auto-exposure, its values the control's (label, name). Registered once per class, so the
// values it points to stay for the life of the process.
GType EnumerationType(const SettingInfo& setting) {
    std::string typeName = "PixoraSrc";
    bool upper = true;
    for (const char* c = setting.name; *c != '\0'; ++c) {
        if (*c == '-') {
            upper = true;
            continue;
        }
        typeName += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(*c))) : *c;
        upper = false;
    }
    if (const GType known = g_type_from_name(typeName.c_str()))
        return known;
    const PixoraControlInfo& control = setting.control;
    auto* values = new GEnumValue[static_cast<size_t>(control.valueCount) + 1]();
    for (int32_t i = 0; i < control.valueCount; ++i)
        values[i] = {control.values[i].value, control.values[i].label, control.values[i].name};
    const GType type = g_enum_register_static(g_intern_string(typeName.c_str()), values);
    gst_type_mark_as_plugin_api(type, static_cast<GstPluginAPIFlags>(0));
    return type;
}

void PostError(PixoraSrc* src, GstResourceError kind, const CameraFailure& failure) {
    GST_WARNING_OBJECT(src, "%s", failure.text.c_str());
    // The library's code travels with the message as the detail "pixora-error".
    gst_element_message_full_with_details(
        GST_ELEMENT(src), GST_MESSAGE_ERROR, GST_RESOURCE_ERROR, kind,
        g_strdup(failure.text.c_str()), g_strdup_printf("library error code %d", failure.code),
        __FILE__, GST_FUNCTION, __LINE__,
        gst_structure_new("details", "pixora-error", G_TYPE_INT, failure.code, nullptr));
}

void PostWarning(PixoraSrc* src, const CameraFailure& failure) {
    gst_element_message_full_with_details(
        GST_ELEMENT(src), GST_MESSAGE_WARNING, GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ,
        g_strdup(failure.text.c_str()), g_strdup_printf("library error code %d", failure.code),
        __FILE__, GST_FUNCTION, __LINE__,
        gst_structure_new("details", "pixora-error", G_TYPE_INT, failure.code, nullptr));
}

// ---- properties ---------------------------------------------------------------------------

void InstallSettingProperty(GObjectClass* klass, guint id, const SettingInfo& setting) {
    const PixoraControlInfo& control = setting.control;
    // A control that acts on the running capture may change while playing; the others
    // apply from the next capture, so the element takes them before it starts.
    const int mutability = (control.flags & PIXORA_CONTROL_LIVE) != 0 ? GST_PARAM_MUTABLE_PLAYING
                                                                      : GST_PARAM_MUTABLE_READY;
    const auto flags =
        static_cast<GParamFlags>(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS | mutability);
    std::string text = std::string(control.description) +
                       (control.unit[0] != '\0' ? std::string(", in ") + control.unit : "") +
                       (setting.unsetIsMinusOne ? " (-1: the camera's stored value)"
                                                : " (unset: the stored value)");
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    const char* blurb = g_intern_string(text.c_str());
    GParamSpec* spec = nullptr;
    switch (control.kind) {
        case PIXORA_CONTROL_ENUMERATION:
            spec = g_param_spec_enum(setting.name, control.label, blurb, EnumerationType(setting),
                                     control.defaultValue, flags);
            break;
        case PIXORA_CONTROL_BOOLEAN:
            spec = g_param_spec_boolean(setting.name, control.label, blurb,
                                        control.defaultValue != 0, flags);
            break;
        default: {
            int32_t minimum = 0;
            int32_t maximum = 0;
            pixora::gst::SettingRange(setting, &minimum, &maximum);
            const int32_t initial =
                setting.unsetIsMinusOne ? -1 : std::clamp(control.defaultValue, minimum, maximum);
            spec = g_param_spec_int(setting.name, control.label, blurb, minimum, maximum, initial,
                                    flags);
            break;
        }
    }
    g_object_class_install_property(klass, id, spec);
}

void SetSetting(PixoraSrc* src, size_t index, const GValue* value) {
    const SettingInfo& setting = Settings()[index];
    int32_t number = 0;
    switch (setting.control.kind) {
        case PIXORA_CONTROL_ENUMERATION:
            number = g_value_get_enum(value);
            break;
        case PIXORA_CONTROL_BOOLEAN:
            number = g_value_get_boolean(value) ? 1 : 0;
            break;
        default:
            number = g_value_get_int(value);
            break;
    }
    SourceState& state = State(src);
    if (setting.unsetIsMinusOne && number == -1) {
        state.settings.Forget(index);
        return;
    }
    if (!state.settings.Request(index, number)) {
        PostWarning(src, state.camera.TakeFailure("setting " + std::string(setting.name) + " to " +
                                                  std::to_string(number)));
    }
}

void GetSetting(PixoraSrc* src, size_t index, GValue* value) {
    const SettingInfo& setting = Settings()[index];
    const int32_t number = State(src).settings.Value(index).value_or(
        setting.unsetIsMinusOne ? -1 : setting.control.defaultValue);
    switch (setting.control.kind) {
        case PIXORA_CONTROL_ENUMERATION:
            g_value_set_enum(value, number);
            break;
        case PIXORA_CONTROL_BOOLEAN:
            g_value_set_boolean(value, number != 0);
            break;
        default:
            g_value_set_int(value, number);
            break;
    }
}

GstStructure* Stats(SourceState& state) {
    std::lock_guard lock(state.mutex);
    if (state.camera.Handle() != nullptr)
        state.lastCounts = state.camera.Counts();
    return gst_structure_new("pixorasrc-stats", "frames", G_TYPE_UINT64, state.frames, "dropped",
                             G_TYPE_UINT64, state.dropped, "failed", G_TYPE_UINT64,
                             static_cast<guint64>(state.lastCounts.failed), nullptr);
}

void SetProperty(GObject* object, guint id, const GValue* value, GParamSpec* spec) {
    PixoraSrc* src = PIXORA_SRC(object);
    SourceState& state = State(src);
    switch (id) {
        case PROP_DEVICE: {
            std::lock_guard lock(state.mutex);
            state.device = g_value_get_int(value);
            return;
        }
        case PROP_TRIGGER: {
            std::lock_guard lock(state.mutex);
            state.trigger = g_value_get_boolean(value);
            return;
        }
        case PROP_TIMEOUT: {
            std::lock_guard lock(state.mutex);
            state.timeoutMs = g_value_get_uint(value);
            return;
        }
        case PROP_QUEUE_SIZE: {
            std::lock_guard lock(state.mutex);
            state.queueSize = g_value_get_uint(value);
            return;
        }
        case PROP_WHITE_BALANCE:
            state.settings.RequestWhiteBalance(static_cast<WhiteBalance>(g_value_get_enum(value)));
            return;
        default:
            if (id >= PROP_FIRST_SETTING && id - PROP_FIRST_SETTING < Settings().size()) {
                SetSetting(src, id - PROP_FIRST_SETTING, value);
                return;
            }
            G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, spec);
    }
}

void GetProperty(GObject* object, guint id, GValue* value, GParamSpec* spec) {
    PixoraSrc* src = PIXORA_SRC(object);
    SourceState& state = State(src);
    switch (id) {
        case PROP_DEVICE: {
            std::lock_guard lock(state.mutex);
            g_value_set_int(value, state.device);
            return;
        }
        case PROP_TRIGGER: {
            std::lock_guard lock(state.mutex);
            g_value_set_boolean(value, state.trigger);
            return;
        }
        case PROP_TIMEOUT: {
            std::lock_guard lock(state.mutex);
            g_value_set_uint(value, state.timeoutMs);
            return;
        }
        case PROP_QUEUE_SIZE: {
            std::lock_guard lock(state.mutex);
            g_value_set_uint(value, state.queueSize);
            return;
        }
        case PROP_WHITE_BALANCE:
            g_value_set_enum(
                value, static_cast<gint>(
                           state.settings.RequestedWhiteBalance().value_or(WhiteBalance::Off)));
            return;
        case PROP_STATS:
            g_value_take_boxed(value, Stats(state));
            return;
        default:
            if (id >= PROP_FIRST_SETTING && id - PROP_FIRST_SETTING < Settings().size()) {
                GetSetting(src, id - PROP_FIRST_SETTING, value);
                return;
            }
            G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, spec);
    }
}

void Finalize(GObject* object) {
    delete PIXORA_SRC(object)->state;
    G_OBJECT_CLASS(pixora_src_parent_class)->finalize(object);
}

// ---- starting and stopping ---------------------------------------------------------------

gboolean Start(GstBaseSrc* base) {
    PixoraSrc* src = PIXORA_SRC(base);
    SourceState& state = State(src);
    std::lock_guard lock(state.mutex);
    CameraFailure failure;
    if (!state.camera.Open(state.device, &failure)) {
        PostError(src,
                  failure.code == PIXORA_ERR_DEVICE_NOT_FOUND ? GST_RESOURCE_ERROR_NOT_FOUND
                                                              : GST_RESOURCE_ERROR_OPEN_READ,
                  failure);
        return FALSE;
    }
    const char* refused = nullptr;
    if (!state.settings.Attach(state.camera.Handle(), &refused)) {
        failure = state.camera.TakeFailure("setting " + std::string(refused));
        state.settings.Detach();
        state.camera.Close();
        PostError(src, GST_RESOURCE_ERROR_SETTINGS, failure);
        return FALSE;
    }
    state.capturing = false;
    state.paused = false;
    state.width = 0;
    state.height = 0;
    state.storedWidth = state.camera.Width();
    state.storedHeight = state.camera.Height();
    state.period = 0;
    state.frames = 0;
    state.dropped = 0;
    state.failedSeen = 0;
    state.lastCounts = PixoraFrameCounts{};
    state.latency = LatencyTracker{};
    GST_INFO_OBJECT(src, "camera %d open: %d x %d", state.device, state.camera.Width(),
                    state.camera.Height());
    return TRUE;
}

gboolean Stop(GstBaseSrc* base) {
    SourceState& state = State(base);
    std::lock_guard lock(state.mutex);
    state.camera.Stop();
    state.capturing = false;
    for (const PixoraStreamFrame& frame : state.early)
        PixoraEx_ReturnFrame(&frame);
    state.early.clear();
    state.lastCounts = state.camera.Counts();
    // The stored settings are put back before the release stores them.
    state.settings.Detach();
    state.camera.Close();
    return TRUE;
}

gboolean Unlock(GstBaseSrc* base) {
    SourceState& state = State(base);
    {
        std::lock_guard lock(state.mutex);
        state.flushing = true;
        state.capturing = false;
        state.resumed.notify_all();
    }
    // Ends a wait for a frame at once, a wait for a trigger pulse among them.
    state.camera.Stop();
    return TRUE;
}

gboolean UnlockStop(GstBaseSrc* base) {
    SourceState& state = State(base);
    std::lock_guard lock(state.mutex);
    state.flushing = false;
    return TRUE;
}

// A paused live source makes no frames: the camera stops until PLAYING comes back (the base
// class only stops asking for them), so that a paused pipeline leaves the camera idle.
GstStateChangeReturn ChangeState(GstElement* element, GstStateChange transition) {
    SourceState& state = State(element);
    if (transition == GST_STATE_CHANGE_PAUSED_TO_PLAYING) {
        std::lock_guard lock(state.mutex);
        state.paused = false;
        state.resumed.notify_all();
    }
    // The stream ends before the base class waits for the streaming thread, which may be
    // waiting for a frame or a trigger pulse.
    if (transition == GST_STATE_CHANGE_PLAYING_TO_PAUSED) {
        {
            std::lock_guard lock(state.mutex);
            state.paused = true;
            state.capturing = false;
        }
        state.camera.Stop();
    }
    return GST_ELEMENT_CLASS(pixora_src_parent_class)->change_state(element, transition);
}

// ---- caps and buffers ----------------------------------------------------------------------

// Every size that fits on the sensor from the window's start (offset-x, offset-y), in the
// colour pattern of that start; any size before the camera is open.
GstCaps* WindowCaps(GstBaseSrc* base, SourceState& state) {
    const std::optional<pixora::gst::WindowSizes> sizes =
        pixora::gst::SizesFromStart(state.camera.Handle());
    if (!sizes)
        return gst_pad_get_pad_template_caps(base->srcpad);
    return pixora::gst::CapsForSizes(sizes->width, sizes->height,
                                     pixora::gst::BayerFormat(state.camera.BayerPattern()));
}

GstCaps* GetCaps(GstBaseSrc* base, GstCaps* filter) {
    GstCaps* caps = WindowCaps(base, State(base));
    if (filter != nullptr) {
        GstCaps* both = gst_caps_intersect_full(filter, caps, GST_CAPS_INTERSECT_FIRST);
        gst_caps_unref(caps);
        caps = both;
    }
    return caps;
}

gboolean SetCaps(GstBaseSrc* base, GstCaps* caps) {
    // The mosaic comes from the 8-bit mode's stream, untouched by its processing.
    int32_t bits = 8;
    GstVideoFormat format = GST_VIDEO_FORMAT_UNKNOWN;
    const bool raw = pixora::gst::IsBayer(caps);
    gint width = 0;
    gint height = 0;
    const GstStructure* structure = gst_caps_get_structure(caps, 0);
    if (!gst_structure_get_int(structure, "width", &width) ||
        !gst_structure_get_int(structure, "height", &height))
        return FALSE;
    if (!raw) {
        GstVideoInfo info;
        if (!gst_video_info_from_caps(&info, caps))
            return FALSE;
        const pixora::gst::VideoMode* mode =
            pixora::gst::ModeOfFormat(GST_VIDEO_INFO_FORMAT(&info));
        if (mode == nullptr)
            return FALSE;
        bits = mode->bits;
        format = mode->format;
    }
    SourceState& state = State(base);
    std::unique_lock lock(state.mutex);
    if (state.capturing && (state.bits != bits || state.raw != raw || state.width != width ||
                            state.height != height)) {
        // The colour mode and the window change with the next capture.
        state.camera.Stop();
        state.capturing = false;
    }
    // The window's size is set before the capture starts, and put back at stop as the other
    // settings are.
    if ((state.width != width || state.height != height) &&
        !state.settings.ApplySize(width, height)) {
        const CameraFailure failure = state.camera.TakeFailure(
            "setting the window to " + std::to_string(width) + " x " + std::to_string(height));
        lock.unlock();  // a bus handler may read the properties
        PostWarning(PIXORA_SRC(base), failure);
        return FALSE;
    }
    state.width = width;
    state.height = height;
    state.bits = bits;
    state.format = format;
    state.raw = raw;
    GST_INFO_OBJECT(base, "%s: %d bits per pixel, %d x %d",
                    raw ? "the raw mosaic" : gst_video_format_to_string(format), bits, width,
                    height);
    return TRUE;
}

// The element's order of the formats wins over downstream's (which may list gray first): a
// converter after the element gets the colour picture unless the caps ask otherwise. A size
// the caps leave open is the stored window's, or as much of it as fits from the offsets.
GstCaps* Fixate(GstBaseSrc* base, GstCaps* caps) {
    {
        SourceState& state = State(base);
        std::lock_guard lock(state.mutex);
        caps = gst_caps_make_writable(caps);
        for (guint i = 0; i < gst_caps_get_size(caps); ++i) {
            GstStructure* s = gst_caps_get_structure(caps, i);
            if (state.storedWidth > 0)
                gst_structure_fixate_field_nearest_int(s, "width", state.storedWidth);
            if (state.storedHeight > 0)
                gst_structure_fixate_field_nearest_int(s, "height", state.storedHeight);
        }
    }
    size_t count = 0;
    const pixora::gst::VideoMode* modes = pixora::gst::VideoModes(&count);
    for (size_t i = 0; i < count; ++i) {
        GstCaps* mode = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING,
                                            gst_video_format_to_string(modes[i].format), nullptr);
        GstCaps* chosen = gst_caps_intersect_full(mode, caps, GST_CAPS_INTERSECT_FIRST);
        gst_caps_unref(mode);
        if (!gst_caps_is_empty(chosen)) {
            gst_caps_unref(caps);
            caps = chosen;
            break;
        }
        gst_caps_unref(chosen);
    }
    return GST_BASE_SRC_CLASS(pixora_src_parent_class)->fixate(base, caps);
}

// The sizes of `caps`' first structure, as the pipeline wrote them ("640 x 480").
std::string SizesOf(GstCaps* caps) {
    const GstStructure* s = gst_caps_get_structure(caps, 0);
    std::string text;
    for (const char* field : {"width", "height"}) {
        const GValue* value = gst_structure_get_value(s, field);
        gchar* written = value != nullptr ? gst_value_serialize(value) : g_strdup("any");
        text += text.empty() ? written : std::string(" x ") + written;
        g_free(written);
    }
    return text;
}

std::string RangeText(const pixora::gst::SizeRange& range) {
    std::string text = std::to_string(range.minimum) + " to " + std::to_string(range.maximum);
    return range.step > 1 ? text + " in steps of " + std::to_string(range.step) : text;
}

// A size the camera cannot give fails with the sizes it gives: those that fit on the sensor
// from the window's start, in every format.
gboolean Negotiate(GstBaseSrc* base) {
    if (GST_BASE_SRC_CLASS(pixora_src_parent_class)->negotiate(base))
        return TRUE;
    SourceState& state = State(base);
    const std::optional<pixora::gst::WindowSizes> sizes =
        pixora::gst::SizesFromStart(state.camera.Handle());
    GstCaps* peer = gst_pad_peer_query_caps(base->srcpad, nullptr);
    if (peer == nullptr || !sizes || gst_caps_is_empty(peer) || gst_caps_is_any(peer)) {
        if (peer != nullptr)
            gst_caps_unref(peer);
        return FALSE;
    }
    // Only a size stands in the way when the formats meet at any size.
    GstCaps* anySize = pixora::gst::TemplateCaps();
    GstCaps* ours = WindowCaps(base, state);
    const bool sizeOnly =
        gst_caps_can_intersect(anySize, peer) && !gst_caps_can_intersect(ours, peer);
    gst_caps_unref(anySize);
    gst_caps_unref(ours);
    if (sizeOnly) {
        CameraFailure failure;
        failure.text = "camera " + std::to_string(state.camera.Index()) + " gives widths " +
                       RangeText(sizes->width) + " and heights " + RangeText(sizes->height) +
                       " (what fits on the sensor from the window's start, offset-x " +
                       std::to_string(sizes->x) + " and offset-y " + std::to_string(sizes->y) +
                       "); the pipeline asks for " + SizesOf(peer);
        gst_element_message_full(GST_ELEMENT(base), GST_MESSAGE_ERROR, GST_CORE_ERROR,
                                 GST_CORE_ERROR_NEGOTIATION, g_strdup(failure.text.c_str()),
                                 nullptr, __FILE__, GST_FUNCTION, __LINE__);
    }
    gst_caps_unref(peer);
    return FALSE;
}

// The delay of the library's processing before frames told better (a triggered stream's
// latency).
constexpr GstClockTime kProcessingEstimate = 10 * GST_MSECOND;

gboolean Query(GstBaseSrc* base, GstQuery* query) {
    if (GST_QUERY_TYPE(query) == GST_QUERY_LATENCY) {
        SourceState& state = State(base);
        std::lock_guard lock(state.mutex);
        if (state.camera.Handle() == nullptr)
            return FALSE;
        // A frame is at least one frame period old when its buffer leaves (its exposure and
        // transfer), or the delay of its processing when that is longer; the queue holds
        // frames for as many periods more as it has buffers. A triggered camera has no
        // period, and its queue holds frames for as long as the pulses are apart.
        GstClockTime minimum = std::max(state.latency.Latency(), kProcessingEstimate);
        GstClockTime maximum = GST_CLOCK_TIME_NONE;
        const bool trigger = state.capturing ? state.running.trigger : state.trigger;
        if (!trigger) {
            // Until the rate is measured: about one frame of the camera's usual 20 a second.
            const GstClockTime period = state.period > 0 ? state.period : 50 * GST_MSECOND;
            minimum = std::max(state.latency.Latency(), period);
            minimum = std::max(minimum, period);
            maximum = minimum + period * state.queueSize;
        }
        gst_query_set_latency(query, TRUE, minimum, maximum);
        return TRUE;
    }
    return GST_BASE_SRC_CLASS(pixora_src_parent_class)->query(base, query);
}

// Create's own result: the element was paused, or the stream stopped under it; it waits for
// PLAYING again and starts a new stream.
constexpr GstFlowReturn kAgain = GST_FLOW_CUSTOM_SUCCESS;

// FLUSHING when being stopped, kAgain when paused, else OK.
GstFlowReturn Interruption(SourceState& state) {
    std::lock_guard lock(state.mutex);
    if (state.flushing)
        return GST_FLOW_FLUSHING;
    return state.paused ? kAgain : GST_FLOW_OK;
}

// Starts a stream when none runs; a paused element waits here until it plays again.
// FLUSHING when the element is being stopped. `fresh`: this call started the stream.
GstFlowReturn EnsureCapture(PixoraSrc* src, SourceState& state, bool* fresh) {
    std::unique_lock lock(state.mutex);
    state.resumed.wait(lock, [&] { return state.flushing || !state.paused; });
    *fresh = false;
    if (state.flushing)
        return GST_FLOW_FLUSHING;
    if (state.capturing)
        return GST_FLOW_OK;
    StreamShape shape;
    shape.bits = state.bits;
    shape.trigger = state.trigger;
    shape.raw = state.raw;
    shape.buffers = static_cast<int32_t>(state.queueSize);
    CameraFailure failure;
    if (!state.camera.Start(shape, &failure)) {
        PostError(src, GST_RESOURCE_ERROR_FAILED, failure);
        return GST_FLOW_ERROR;
    }
    state.capturing = true;
    state.running = shape;
    *fresh = true;
    return GST_FLOW_OK;
}

// How long a new free-running stream may take to show its rate: frames at the slowest rate
// the camera runs at, with room for a busy machine.
constexpr GstClockTime kRateWait = 2 * GST_SECOND;
// Frames whose intervals give the rate. The first frame of a stream may end its transfer
// late (the camera starts), so the rate is measured from the second on, over three intervals.
constexpr size_t kRateFrames = 5;

// The camera's rate as a fraction of hundredths of a frame per second.
void RateFraction(uint64_t framesPerSecondMilli, gint* num, gint* den) {
    const auto hundredths =
        static_cast<gint>(std::min<uint64_t>((framesPerSecondMilli + 5) / 10, G_MAXINT));
    const gint divisor = std::gcd(hundredths, 100);
    *num = hundredths / divisor;
    *den = 100 / divisor;
}

// Frames per second times 1000 from the frame numbers and transfer ends of `early`; 0 when
// they do not tell.
uint64_t MeasuredRate(const std::deque<PixoraStreamFrame>& early) {
    if (early.size() < 2)
        return 0;
    const PixoraStreamMeta& first = early[early.size() > 2 ? 1 : 0].meta;
    const PixoraStreamMeta& last = early.back().meta;
    if (last.timestampUs <= first.timestampUs || last.sequence <= first.sequence)
        return 0;
    return (last.sequence - first.sequence) * 1000000000ull /
           (last.timestampUs - first.timestampUs);
}

// The caps of a new free-running stream carry its rate: the camera paces its frames by its
// clock, exposure and window and tells no rate, so the element measures it on the first frames
// (held, nothing is lost) before the first buffer leaves; later starts in the same mode take
// the rate measured then, so that they start at once. A rate within 2% of the caps' keeps the
// caps, so that a pause does not renegotiate.
GstFlowReturn AnnounceRate(PixoraSrc* src, SourceState& state) {
    uint64_t rate = 0;
    {
        std::lock_guard lock(state.mutex);
        const auto& known = state.measured;
        if (known.device == state.camera.Index() && known.bits == state.running.bits &&
            known.raw == state.running.raw && known.width == state.width &&
            known.height == state.height)
            rate = known.rate;
    }
    const size_t wanted =
        rate > 0 ? 0 : std::min<size_t>(kRateFrames, static_cast<size_t>(state.running.buffers));
    const GstClockTime giveUp = pixora::gst::MonotonicNow() + kRateWait;
    while (state.early.size() < wanted) {
        const GstClockTime now = pixora::gst::MonotonicNow();
        if (now >= giveUp)
            break;
        PixoraStreamFrame frame{};
        const Take taken =
            state.camera.Next(&frame, static_cast<int32_t>((giveUp - now) / GST_MSECOND + 1));
        if (taken != Take::Frame)
            break;  // the next take tells a stop or a failure
        state.early.push_back(frame);
    }
    if (const GstFlowReturn interrupted = Interruption(state); interrupted != GST_FLOW_OK)
        return interrupted;
    if (rate == 0)
        rate = MeasuredRate(state.early);
    if (rate == 0)
        return GST_FLOW_OK;
    {
        std::lock_guard lock(state.mutex);
        state.period = gst_util_uint64_scale(GST_SECOND, 1000, rate);
        state.measured = {state.camera.Index(), state.running.bits, state.running.raw,
                          state.width,          state.height,       rate};
    }
    gst_element_post_message(GST_ELEMENT(src), gst_message_new_latency(GST_OBJECT(src)));

    GstBaseSrc* base = GST_BASE_SRC(src);
    GstCaps* current = gst_pad_get_current_caps(base->srcpad);
    if (current == nullptr)
        return GST_FLOW_OK;
    gint num = 0;
    gint den = 1;
    gst_structure_get_fraction(gst_caps_get_structure(current, 0), "framerate", &num, &den);
    const double had = den > 0 ? 1000.0 * num / den : 0;
    const auto measured = static_cast<double>(rate);
    if (had > 0 && measured > had * 0.98 && measured < had * 1.02) {
        gst_caps_unref(current);
        return GST_FLOW_OK;
    }
    RateFraction(rate, &num, &den);
    GstCaps* caps = gst_caps_copy(current);
    gst_caps_unref(current);
    gst_caps_set_simple(caps, "framerate", GST_TYPE_FRACTION, num, den, nullptr);
    GST_INFO_OBJECT(src, "the camera sends %d/%d frames per second", num, den);
    const gboolean set = gst_base_src_set_caps(base, caps);
    gst_caps_unref(caps);
    return set ? GST_FLOW_OK : GST_FLOW_NOT_NEGOTIATED;
}

// A triggered stream may wait long for its first pulse: a gap event at the running time now
// lets the sinks preroll, so that the pipeline reaches PLAYING without a frame.
void AnnounceGap(PixoraSrc* src) {
    GstBaseSrc* base = GST_BASE_SRC(src);
    GstClockTime now = 0;
    if (GstClock* clock = gst_element_get_clock(GST_ELEMENT(src))) {
        const GstClockTime clockTime = gst_clock_get_time(clock);
        const GstClockTime baseTime = gst_element_get_base_time(GST_ELEMENT(src));
        now = clockTime > baseTime ? clockTime - baseTime : 0;
        gst_object_unref(clock);
    }
    GstSegment segment;
    GST_OBJECT_LOCK(base);
    gst_segment_copy_into(&base->segment, &segment);
    GST_OBJECT_UNLOCK(base);
    gst_pad_push_event(base->srcpad, gst_event_new_segment(&segment));
    gst_pad_push_event(base->srcpad, gst_event_new_gap(now, GST_CLOCK_TIME_NONE));
}

// Takes the next frame of the stream, as long as it takes unless `timeout` is set. `waited`:
// the frame was not there yet when asked for, so its delay is the library's processing.
GstFlowReturn AwaitFrame(PixoraSrc* src, SourceState& state, PixoraStreamFrame* frame,
                         bool* waited) {
    *waited = false;
    if (!state.early.empty()) {
        *frame = state.early.front();
        state.early.pop_front();
        return GST_FLOW_OK;
    }
    guint timeoutMs = 0;
    {
        std::lock_guard lock(state.mutex);
        timeoutMs = state.timeoutMs;
    }
    const Take quick = state.camera.Next(frame, 0);
    const Take taken =
        quick != Take::TimedOut
            ? quick
            : state.camera.Next(frame, timeoutMs > 0 ? static_cast<int32_t>(timeoutMs) : -1);
    *waited = quick == Take::TimedOut;
    if (taken == Take::Frame) {
        if (const GstFlowReturn interrupted = Interruption(state); interrupted != GST_FLOW_OK) {
            PixoraEx_ReturnFrame(frame);
            return interrupted;
        }
        return GST_FLOW_OK;
    }
    if (const GstFlowReturn interrupted = Interruption(state); interrupted != GST_FLOW_OK)
        return interrupted;
    switch (taken) {
        case Take::Stopped: {
            // Stopped by a change of colour mode (or by the camera's dialog): a new stream.
            std::lock_guard lock(state.mutex);
            state.capturing = false;
            return kAgain;
        }
        case Take::TimedOut: {
            CameraFailure failure;
            failure.text = "camera " + std::to_string(state.camera.Index()) + ": no frame within " +
                           std::to_string(timeoutMs) + " ms";
            PostError(src, GST_RESOURCE_ERROR_READ, failure);
            return GST_FLOW_ERROR;
        }
        default:
            PostError(src, GST_RESOURCE_ERROR_READ, state.camera.TakeFailure("streaming"));
            return GST_FLOW_ERROR;
    }
}

// A QoS message per buffer that follows a gap: the frames made so far, and those missed.
void PostDrops(PixoraSrc* src, GstClockTime pts, guint64 frames, guint64 dropped) {
    GstMessage* qos =
        gst_message_new_qos(GST_OBJECT(src), TRUE, pts, pts, pts, GST_CLOCK_TIME_NONE);
    gst_message_set_qos_stats(qos, GST_FORMAT_BUFFERS, frames, dropped);
    gst_element_post_message(GST_ELEMENT(src), qos);
}

GstFlowReturn Create(GstPushSrc* push, GstBuffer** out) {
    PixoraSrc* src = PIXORA_SRC(push);
    SourceState& state = State(src);
    PixoraStreamFrame frame{};
    bool waited = false;
    GstFlowReturn flow = kAgain;
    while (flow == kAgain) {
        bool fresh = false;
        flow = EnsureCapture(src, state, &fresh);
        if (flow == GST_FLOW_OK && fresh) {
            if (state.running.trigger)
                AnnounceGap(src);
            else
                flow = AnnounceRate(src, state);
        }
        if (flow == GST_FLOW_OK)
            flow = AwaitFrame(src, state, &frame, &waited);
        if (flow != GST_FLOW_OK) {
            for (const PixoraStreamFrame& held : state.early)
                PixoraEx_ReturnFrame(&held);
            state.early.clear();
        }
    }
    if (flow != GST_FLOW_OK)
        return flow;

    GstVideoFormat format = GST_VIDEO_FORMAT_UNKNOWN;
    GstClockTime period = 0;
    {
        std::lock_guard lock(state.mutex);
        format = state.format;
        period = state.running.trigger ? 0 : state.period;
    }
    if (frame.bitsPerPixel == 16 && frame.meta.raw == 0)
        pixora::gst::SpreadTenBitSamples(static_cast<uint8_t*>(frame.pixels.data), frame.bytes);
    // The pipeline holds the camera's buffers until it is done with them; one that holds half
    // of them (an encoder's look-ahead, a queue) gets copies, so that the camera keeps room.
    const PixoraStreamStatus queue = state.camera.Status();
    GstBuffer* buffer = queue.held * 2 > queue.buffers ? pixora::gst::CopyFrame(frame, format)
                                                       : pixora::gst::WrapFrame(frame, format);
    const PixoraStreamMeta& meta = frame.meta;

    const GstClockTime now = pixora::gst::MonotonicNow();
    GstClock* clock = gst_element_get_clock(GST_ELEMENT(src));
    const GstClockTime pts = pixora::gst::FrameRunningTime(
        clock, gst_element_get_base_time(GST_ELEMENT(src)), meta.timestampUs, now);
    if (clock != nullptr)
        gst_object_unref(clock);
    GST_BUFFER_PTS(buffer) = pts;
    GST_BUFFER_DTS(buffer) = GST_CLOCK_TIME_NONE;
    GST_BUFFER_DURATION(buffer) = period > 0 ? period : GST_CLOCK_TIME_NONE;
    GST_BUFFER_OFFSET(buffer) = meta.sequence;
    GST_BUFFER_OFFSET_END(buffer) = meta.sequence + 1;
    pixora::gst::AddFrameMeta(buffer, meta);

    // Messages are posted with no lock held: a bus handler may read the properties.
    const GstClockTime taken = meta.timestampUs * GST_USECOND;
    bool failedAnew = false;
    guint64 frames = 0;
    guint64 missed = 0;
    GstClockTime latency = GST_CLOCK_TIME_NONE;
    {
        std::lock_guard lock(state.mutex);
        // The library counts the frames the camera sent since the stream's previous frame
        // (or its start) that the queue did not hand over.
        state.dropped += static_cast<guint64>(std::max(meta.dropped, 0));
        frames = ++state.frames;
        missed = state.dropped;
        if (waited && state.latency.Observe(now > taken ? now - taken : 0))
            latency = state.latency.Latency();
        state.lastCounts = state.camera.Counts();
        // The first failed frame since the start is told; the rest show in the counts.
        failedAnew = state.failedSeen == 0 && state.lastCounts.failed > 0;
        state.failedSeen = state.lastCounts.failed;
    }
    state.settings.FrameArrived(meta.sequence);
    if (meta.dropped > 0)
        PostDrops(src, pts, frames, missed);
    if (failedAnew)
        PostWarning(src, state.camera.TakeFailure("transferring a frame"));
    if (GST_CLOCK_TIME_IS_VALID(latency)) {
        GST_INFO_OBJECT(src, "latency now %" GST_TIME_FORMAT, GST_TIME_ARGS(latency));
        gst_element_post_message(GST_ELEMENT(src), gst_message_new_latency(GST_OBJECT(src)));
    }
    *out = buffer;
    return GST_FLOW_OK;
}

}  // namespace

static void pixora_src_class_init(PixoraSrcClass* klass) {
    GObjectClass* object = G_OBJECT_CLASS(klass);
    GstElementClass* element = GST_ELEMENT_CLASS(klass);
    GstBaseSrcClass* base = GST_BASE_SRC_CLASS(klass);
    GstPushSrcClass* push = GST_PUSH_SRC_CLASS(klass);

    object->set_property = SetProperty;
    object->get_property = GetProperty;
    object->finalize = Finalize;

    const auto readyFlags = static_cast<GParamFlags>(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS |
                                                     GST_PARAM_MUTABLE_READY);
    g_object_class_install_property(
        object, PROP_DEVICE,
        g_param_spec_int("device", "Device", "Index of the camera, 0..7", 0, 7, 0, readyFlags));
    g_object_class_install_property(
        object, PROP_TRIGGER,
        g_param_spec_boolean("trigger", "External trigger",
                             "External trigger mode: one frame per pulse on the camera's trigger "
                             "input instead of free-running frames",
                             FALSE, readyFlags));
    g_object_class_install_property(
        object, PROP_TIMEOUT,
        g_param_spec_uint("timeout", "Frame time-out",
                          "Milliseconds to wait for a frame before the stream fails with an "
                          "error (0: wait as long as it takes)",
                          0, G_MAXINT, 0,
                          static_cast<GParamFlags>(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS |
                                                   GST_PARAM_MUTABLE_PLAYING)));
    g_object_class_install_property(
        object, PROP_QUEUE_SIZE,
        g_param_spec_uint("queue-size", "Queue size",
                          "Buffers of the camera's frame queue: frames held downstream or "
                          "waiting for the pipeline; when every one is taken the oldest waiting "
                          "frame is dropped",
                          1, PIXORA_STREAM_MAX_BUFFERS, kDefaultQueueSize, readyFlags));
    g_object_class_install_property(
        object, PROP_WHITE_BALANCE,
        g_param_spec_enum("white-balance", "White balance",
                          "White-balance measurement of the colour modes; the gains it finds are "
                          "put back when the element stops (unset: the stored setting)",
                          WhiteBalanceType(), static_cast<gint>(WhiteBalance::Off),
                          static_cast<GParamFlags>(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS |
                                                   GST_PARAM_MUTABLE_PLAYING)));
    g_object_class_install_property(
        object, PROP_STATS,
        g_param_spec_boxed("stats", "Statistics",
                           "Frames since the element started: \"frames\" made into buffers, "
                           "\"dropped\" (gaps in the camera's frame numbers between them) and "
                           "\"failed\" (lost in transfer or not convertible, part of the gaps)",
                           GST_TYPE_STRUCTURE,
                           static_cast<GParamFlags>(G_PARAM_READABLE | G_PARAM_STATIC_STRINGS)));
    for (size_t i = 0; i < Settings().size(); ++i)
        InstallSettingProperty(object, static_cast<guint>(PROP_FIRST_SETTING + i), Settings()[i]);

    element->change_state = ChangeState;
    gst_element_class_set_static_metadata(element, "530TZ camera source", "Source/Video/Hardware",
                                          "Live video from a 530TZ camera through its library",
                                          PIXORA_PLUGIN_PACKAGE);
    GstCaps* caps = pixora::gst::TemplateCaps();
    gst_element_class_add_pad_template(
        element, gst_pad_template_new("src", GST_PAD_SRC, GST_PAD_ALWAYS, caps));
    gst_caps_unref(caps);

    base->start = Start;
    base->stop = Stop;
    base->unlock = Unlock;
    base->unlock_stop = UnlockStop;
    base->get_caps = GetCaps;
    base->set_caps = SetCaps;
    base->fixate = Fixate;
    base->query = Query;
    base->negotiate = Negotiate;
    push->create = Create;

    gst_type_mark_as_plugin_api(WhiteBalanceType(), static_cast<GstPluginAPIFlags>(0));
    // The same category as the registration's: GStreamer gives one per name.
    GST_DEBUG_CATEGORY_INIT(pixora_src_debug, "pixorasrc", 0, "530TZ camera source");
    pixora::gst::RegisterFrameMeta();
}

static void pixora_src_init(PixoraSrc* src) {
    src->state = new SourceState;
    gst_base_src_set_live(GST_BASE_SRC(src), TRUE);
    gst_base_src_set_format(GST_BASE_SRC(src), GST_FORMAT_TIME);
    gst_base_src_set_do_timestamp(GST_BASE_SRC(src), FALSE);
}

gboolean pixora_src_register(GstPlugin* plugin) {
    // Once for the process, whichever way the plugin comes in (its module, or registered by
    // a program that carries the element); the library's log goes to the category too.
    static gsize once = 0;
    if (g_once_init_enter(&once)) {
        GST_DEBUG_CATEGORY_INIT(pixora_src_debug, "pixorasrc", 0, "530TZ camera source");
        pixora::gst::RouteLibraryLog(pixora_src_debug);
        g_once_init_leave(&once, 1);
    }
    return gst_element_register(plugin, "pixorasrc", GST_RANK_NONE, PIXORA_TYPE_SRC);
}

gboolean pixora_gst_register_static(void) {
    // A registry that found the plugin's module already lists the element under the same
    // name; registering it here replaces that entry with the element of this program.
    if (GstElementFactory* factory = gst_element_factory_find("pixorasrc")) {
        const bool ours = gst_element_factory_get_element_type(factory) == PIXORA_TYPE_SRC;
        gst_object_unref(factory);
        if (ours)
            return TRUE;
    }
    return gst_plugin_register_static(
        GST_VERSION_MAJOR, GST_VERSION_MINOR, PIXORA_PLUGIN_NAME, PIXORA_PLUGIN_DESCRIPTION,
        pixora_src_register, PIXORA_PLUGIN_VERSION, PIXORA_PLUGIN_LICENSE, PIXORA_PLUGIN_PACKAGE,
        PIXORA_PLUGIN_PACKAGE, PIXORA_PLUGIN_PACKAGE);
}

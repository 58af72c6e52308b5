// The element: GObject properties and the base classes' virtual functions over CameraSource
// and CameraSettings.
#include "PixoraSrc.h"

#include <gst/video/video.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <string>

#include "CameraSettings.h"
#include "CameraSource.h"
#include "FrameTiming.h"
#include "LibraryLog.h"
#include "VideoFormats.h"

GST_DEBUG_CATEGORY_STATIC(pixora_src_debug);
#define GST_CAT_DEFAULT pixora_src_debug

namespace {

using pixora::gst::CameraFailure;
using pixora::gst::CameraSettings;
using pixora::gst::CameraSource;
using pixora::gst::FrameWait;
using pixora::gst::LatencyTracker;
using pixora::gst::SettingInfo;
using pixora::gst::SettingKind;
using pixora::gst::Settings;
using pixora::gst::WhiteBalance;

// How long one wait for a frame lasts at most before the element looks again whether it is
// being stopped: a stop that lands just before a wait begins ends it no later than this.
constexpr int32_t kWaitSliceMs = 50;

enum Property : guint {
    PROP_0,
    PROP_DEVICE,
    PROP_TRIGGER,
    PROP_TIMEOUT,
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
    int32_t bits = 24;                // the negotiated colour mode
    gsize frameBytes = 0;             // one frame at the negotiated caps
    bool flushing = false;            // unlock() until unlock_stop()
    bool paused = false;              // from PLAYING to PAUSED until PLAYING again
    std::condition_variable resumed;  // paused or flushing changed
    bool capturing = false;
    uint64_t lastSequence = 0;  // of the newest buffer, across captures
    bool runStarted = false;    // a buffer came since the capture (re)started
    guint64 frames = 0;         // buffers made since start()
    guint64 dropped = 0;        // gaps in the frame numbers between them
    guint64 failedSeen = 0;     // the library's failed frames already told about
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

GType AutoExposureType() {
    static GType type = 0;
    if (g_once_init_enter(&type)) {
        static const GEnumValue values[] = {
            {0, "Off", "off"},
            {1, "The exposure follows the picture's brightness", "exposure"},
            {2, "The gain follows the picture's brightness", "gain"},
            {0, nullptr, nullptr},
        };
        g_once_init_leave(&type, g_enum_register_static("PixoraSrcAutoExposure", values));
    }
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
    const auto flags = static_cast<GParamFlags>(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS |
                                                GST_PARAM_MUTABLE_PLAYING);
    GParamSpec* spec = nullptr;
    switch (setting.kind) {
        case SettingKind::AutoIris:
            spec = g_param_spec_enum(setting.name, setting.nick, setting.blurb, AutoExposureType(),
                                     setting.neutral, flags);
            break;
        case SettingKind::MirrorV:
            spec = g_param_spec_boolean(setting.name, setting.nick, setting.blurb,
                                        setting.neutral != 0, flags);
            break;
        case SettingKind::Filter: {
            int32_t minimum = 0;
            int32_t maximum = 0;
            pixora::gst::SettingRange(setting, &minimum, &maximum);
            spec = g_param_spec_int(setting.name, setting.nick, setting.blurb, minimum, maximum,
                                    setting.neutral, flags);
            break;
        }
    }
    g_object_class_install_property(klass, id, spec);
}

void SetSetting(PixoraSrc* src, size_t index, const GValue* value) {
    const SettingInfo& setting = Settings()[index];
    int32_t number = 0;
    switch (setting.kind) {
        case SettingKind::AutoIris:
            number = g_value_get_enum(value);
            break;
        case SettingKind::MirrorV:
            number = g_value_get_boolean(value) ? 1 : 0;
            break;
        case SettingKind::Filter:
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
    const int32_t number = State(src).settings.Value(index).value_or(setting.neutral);
    switch (setting.kind) {
        case SettingKind::AutoIris:
            g_value_set_enum(value, number);
            break;
        case SettingKind::MirrorV:
            g_value_set_boolean(value, number != 0);
            break;
        case SettingKind::Filter:
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
    state.runStarted = false;
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
    const GstStateChangeReturn result =
        GST_ELEMENT_CLASS(pixora_src_parent_class)->change_state(element, transition);
    if (transition == GST_STATE_CHANGE_PLAYING_TO_PAUSED) {
        {
            std::lock_guard lock(state.mutex);
            state.paused = true;
            state.capturing = false;
        }
        state.camera.Stop();
    }
    return result;
}

// ---- caps and buffers ----------------------------------------------------------------------

GstCaps* GetCaps(GstBaseSrc* base, GstCaps* filter) {
    SourceState& state = State(base);
    const int32_t width = state.camera.Width();
    const int32_t height = state.camera.Height();
    GstCaps* caps = width > 0 && height > 0 ? pixora::gst::CapsForWindow(width, height)
                                            : gst_pad_get_pad_template_caps(base->srcpad);
    if (filter != nullptr) {
        GstCaps* both = gst_caps_intersect_full(filter, caps, GST_CAPS_INTERSECT_FIRST);
        gst_caps_unref(caps);
        caps = both;
    }
    return caps;
}

gboolean SetCaps(GstBaseSrc* base, GstCaps* caps) {
    GstVideoInfo info;
    if (!gst_video_info_from_caps(&info, caps))
        return FALSE;
    const pixora::gst::VideoMode* mode = pixora::gst::ModeOfFormat(GST_VIDEO_INFO_FORMAT(&info));
    if (mode == nullptr)
        return FALSE;
    SourceState& state = State(base);
    std::lock_guard lock(state.mutex);
    if (state.capturing && state.bits != mode->bits) {
        // The colour mode changes with the next capture.
        state.camera.Stop();
        state.capturing = false;
    }
    state.bits = mode->bits;
    state.frameBytes = GST_VIDEO_INFO_SIZE(&info);
    GST_INFO_OBJECT(base, "%s: %d bits per pixel", gst_video_format_to_string(mode->format),
                    mode->bits);
    return TRUE;
}

// The element's order of the formats wins over downstream's (which may list gray first): a
// converter after the element gets the colour picture unless the caps ask otherwise.
GstCaps* Fixate(GstBaseSrc* base, GstCaps* caps) {
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

// Buffers from a plain pool of whole frames: the library writes rows at its own stride, which
// is GStreamer's default one for these formats, so pools with other layouts are not taken.
gboolean DecideAllocation(GstBaseSrc* base, GstQuery* query) {
    GstCaps* caps = nullptr;
    gst_query_parse_allocation(query, &caps, nullptr);
    GstVideoInfo info;
    if (caps == nullptr || !gst_video_info_from_caps(&info, caps))
        return FALSE;
    guint minimum = 2;
    guint maximum = 0;
    const bool offered = gst_query_get_n_allocation_pools(query) > 0;
    if (offered) {
        GstBufferPool* theirs = nullptr;
        guint size = 0;
        gst_query_parse_nth_allocation_pool(query, 0, &theirs, &size, &minimum, &maximum);
        if (theirs != nullptr)
            gst_object_unref(theirs);
        minimum = std::max(minimum, 2u);
        maximum = maximum != 0 ? std::max(maximum, minimum) : 0;
    }
    GstBufferPool* pool = gst_buffer_pool_new();
    GstStructure* config = gst_buffer_pool_get_config(pool);
    gst_buffer_pool_config_set_params(config, caps, static_cast<guint>(GST_VIDEO_INFO_SIZE(&info)),
                                      minimum, maximum);
    gst_buffer_pool_set_config(pool, config);
    if (offered) {
        gst_query_set_nth_allocation_pool(query, 0, pool, GST_VIDEO_INFO_SIZE(&info), minimum,
                                          maximum);
    } else {
        gst_query_add_allocation_pool(query, pool, GST_VIDEO_INFO_SIZE(&info), minimum, maximum);
    }
    gst_object_unref(pool);
    return GST_BASE_SRC_CLASS(pixora_src_parent_class)->decide_allocation(base, query);
}

gboolean Query(GstBaseSrc* base, GstQuery* query) {
    if (GST_QUERY_TYPE(query) == GST_QUERY_LATENCY) {
        SourceState& state = State(base);
        std::lock_guard lock(state.mutex);
        if (state.camera.Handle() == nullptr)
            return FALSE;
        // The library keeps only the newest frame: nothing waits longer than one delay.
        const GstClockTime latency = state.latency.Latency();
        gst_query_set_latency(query, TRUE, latency, latency);
        return TRUE;
    }
    return GST_BASE_SRC_CLASS(pixora_src_parent_class)->query(base, query);
}

// Fill's own result: the element was paused while it waited; it waits for PLAYING again.
constexpr GstFlowReturn kPaused = GST_FLOW_CUSTOM_SUCCESS;

// How often trigger mode asks whether the camera is still there while no pulse comes.
constexpr GstClockTime kPresenceCheck = GST_SECOND;

// Starts the capture when none runs; a paused element waits here until it plays again.
// FLUSHING when the element is being stopped.
GstFlowReturn EnsureCapture(PixoraSrc* src, SourceState& state) {
    std::unique_lock lock(state.mutex);
    state.resumed.wait(lock, [&] { return state.flushing || !state.paused; });
    if (state.flushing)
        return GST_FLOW_FLUSHING;
    if (state.capturing)
        return GST_FLOW_OK;
    CameraFailure failure;
    if (!state.camera.Start(state.bits, state.trigger, &failure)) {
        PostError(src, GST_RESOURCE_ERROR_FAILED, failure);
        return GST_FLOW_ERROR;
    }
    state.capturing = true;
    state.runStarted = false;
    return GST_FLOW_OK;
}

// FLUSHING when being stopped, kPaused when paused, else OK.
GstFlowReturn Interruption(SourceState& state) {
    std::lock_guard lock(state.mutex);
    if (state.flushing)
        return GST_FLOW_FLUSHING;
    return state.paused ? kPaused : GST_FLOW_OK;
}

// Whether the capture ended by itself: the camera failed or went away. Free-running, the
// library records 13 when the stream ends; in trigger mode it goes on arming, so the camera
// is looked for now and then.
bool CameraLost(SourceState& state, bool trigger, GstClockTime* nextCheck) {
    if (!trigger)
        return state.camera.CaptureState() == 0 || state.camera.StreamEnded();
    const GstClockTime now = pixora::gst::MonotonicNow();
    if (now < *nextCheck)
        return false;
    *nextCheck = now + kPresenceCheck;
    return !state.camera.Present();
}

// Waits until a frame newer than the last buffer's is there.
GstFlowReturn AwaitFrame(PixoraSrc* src, SourceState& state) {
    uint64_t after = 0;
    guint timeoutMs = 0;
    bool trigger = false;
    {
        std::lock_guard lock(state.mutex);
        after = state.lastSequence;
        timeoutMs = state.timeoutMs;
        trigger = state.trigger;
    }
    const GstClockTime start = pixora::gst::MonotonicNow();
    const GstClockTime deadline = start + timeoutMs * GST_MSECOND;
    GstClockTime nextCheck = start + kPresenceCheck;
    for (;;) {
        int32_t slice = kWaitSliceMs;
        if (timeoutMs > 0) {
            const GstClockTime now = pixora::gst::MonotonicNow();
            slice = now >= deadline ? 0
                                    : static_cast<int32_t>(std::min<GstClockTime>(
                                          slice, (deadline - now) / GST_MSECOND + 1));
        }
        const FrameWait waited = state.camera.Wait(after, slice);
        if (const GstFlowReturn interrupted = Interruption(state); interrupted != GST_FLOW_OK)
            return interrupted;
        if (waited == FrameWait::Ready)
            return GST_FLOW_OK;
        if (waited == FrameWait::Released || CameraLost(state, trigger, &nextCheck)) {
            PostError(src, GST_RESOURCE_ERROR_READ, state.camera.TakeFailure("streaming"));
            return GST_FLOW_ERROR;
        }
        if (timeoutMs > 0 && pixora::gst::MonotonicNow() >= deadline) {
            CameraFailure failure;
            failure.text = "camera " + std::to_string(state.camera.Index()) + ": no frame within " +
                           std::to_string(timeoutMs) + " ms";
            PostError(src, GST_RESOURCE_ERROR_READ, failure);
            return GST_FLOW_ERROR;
        }
    }
}

// Copies the newest frame into `buffer` (samples of the 16-bit mode spread over 16 bits).
GstFlowReturn ReadFrame(PixoraSrc* src, SourceState& state, GstBuffer* buffer,
                        PixoraFrameMeta* meta) {
    gsize bytes = 0;
    int32_t bits = 0;
    {
        std::lock_guard lock(state.mutex);
        bytes = state.frameBytes;
        bits = state.bits;
    }
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_WRITE))
        return GST_FLOW_ERROR;
    CameraFailure failure;
    const gsize size = map.size;
    const bool read = size >= bytes && state.camera.Read(map.data, bytes, meta, &failure);
    if (read && bits == 16)
        pixora::gst::SpreadTenBitSamples(map.data, bytes);
    gst_buffer_unmap(buffer, &map);
    if (const GstFlowReturn interrupted = Interruption(state); interrupted != GST_FLOW_OK)
        return interrupted;
    if (!read) {
        if (failure.text.empty())
            failure.text = "a buffer of " + std::to_string(size) + " bytes is too small";
        PostError(src, GST_RESOURCE_ERROR_READ, failure);
        return GST_FLOW_ERROR;
    }
    return GST_FLOW_OK;
}

// A QoS message per buffer that follows a gap: the frames made so far, and those missed.
void PostDrops(PixoraSrc* src, GstClockTime pts, guint64 frames, guint64 dropped) {
    GstMessage* qos =
        gst_message_new_qos(GST_OBJECT(src), TRUE, pts, pts, pts, GST_CLOCK_TIME_NONE);
    gst_message_set_qos_stats(qos, GST_FORMAT_BUFFERS, frames, dropped);
    gst_element_post_message(GST_ELEMENT(src), qos);
}

GstFlowReturn Fill(GstPushSrc* push, GstBuffer* buffer) {
    PixoraSrc* src = PIXORA_SRC(push);
    SourceState& state = State(src);
    PixoraFrameMeta meta{};
    GstFlowReturn flow = kPaused;
    while (flow == kPaused) {
        flow = EnsureCapture(src, state);
        if (flow == GST_FLOW_OK)
            flow = AwaitFrame(src, state);
        if (flow == GST_FLOW_OK)
            flow = ReadFrame(src, state, buffer, &meta);
    }
    if (flow != GST_FLOW_OK)
        return flow;

    const GstClockTime now = pixora::gst::MonotonicNow();
    GstClock* clock = gst_element_get_clock(GST_ELEMENT(src));
    const GstClockTime pts = pixora::gst::FrameRunningTime(
        clock, gst_element_get_base_time(GST_ELEMENT(src)), meta.timestampUs, now);
    if (clock != nullptr)
        gst_object_unref(clock);
    GST_BUFFER_PTS(buffer) = pts;
    GST_BUFFER_DTS(buffer) = GST_CLOCK_TIME_NONE;
    GST_BUFFER_DURATION(buffer) = GST_CLOCK_TIME_NONE;
    GST_BUFFER_OFFSET(buffer) = meta.sequence;
    GST_BUFFER_OFFSET_END(buffer) = meta.sequence + 1;

    // Messages are posted with no lock held: a bus handler may read the properties.
    const GstClockTime taken = meta.timestampUs * GST_USECOND;
    bool dropped = false;
    bool failedAnew = false;
    guint64 frames = 0;
    guint64 missed = 0;
    GstClockTime latency = GST_CLOCK_TIME_NONE;
    {
        std::lock_guard lock(state.mutex);
        if (state.runStarted && meta.sequence > state.lastSequence + 1) {
            state.dropped += meta.sequence - state.lastSequence - 1;
            dropped = true;
        }
        state.runStarted = true;
        state.lastSequence = meta.sequence;
        frames = ++state.frames;
        missed = state.dropped;
        if (state.latency.Observe(now > taken ? now - taken : 0))
            latency = state.latency.Latency();
        state.lastCounts = state.camera.Counts();
        // The first failed frame since the start is told; the rest show in the counts.
        failedAnew = state.failedSeen == 0 && state.lastCounts.failed > 0;
        state.failedSeen = state.lastCounts.failed;
    }
    state.settings.FrameArrived(meta.sequence);
    if (dropped)
        PostDrops(src, pts, frames, missed);
    if (failedAnew)
        PostWarning(src, state.camera.TakeFailure("transferring a frame"));
    if (GST_CLOCK_TIME_IS_VALID(latency)) {
        GST_INFO_OBJECT(src, "latency now %" GST_TIME_FORMAT, GST_TIME_ARGS(latency));
        gst_element_post_message(GST_ELEMENT(src), gst_message_new_latency(GST_OBJECT(src)));
    }
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
    base->decide_allocation = DecideAllocation;
    base->query = Query;
    push->fill = Fill;

    gst_type_mark_as_plugin_api(WhiteBalanceType(), static_cast<GstPluginAPIFlags>(0));
    gst_type_mark_as_plugin_api(AutoExposureType(), static_cast<GstPluginAPIFlags>(0));
    // The same category as the registration's: GStreamer gives one per name.
    GST_DEBUG_CATEGORY_INIT(pixora_src_debug, "pixorasrc", 0, "530TZ camera source");
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

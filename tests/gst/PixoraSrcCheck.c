/* Unit tests of pixorasrc with GStreamer's check framework: caps, properties, state changes,
 * timestamps, drops and errors, in pipelines of this process against the virtual camera. The
 * element is registered in the process, as pixora record does. */
#include <glib/gstdio.h>
#include <gst/check/gstcheck.h>
#include <gst/video/video.h>

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "PixoraExtensions.h"
#include "PixoraPlatform.h"
#include "PixoraSrc.h"

#define WIDTH 1360
#define HEIGHT 1024
#define MAX_FRAMES 512

/* One pipeline "pixorasrc name=src ... ! fakesink name=sink" and what reached the sink. */
typedef struct {
    GstElement* pipeline;
    GstElement* src;
    GstBus* bus;
    GMutex lock;
    GCond arrived;
    guint count;
    GstClockTime pts[MAX_FRAMES];
    guint64 offset[MAX_FRAMES];
    GstClockTime arrival[MAX_FRAMES]; /* running time when the sink had it */
    GstBuffer* first;                 /* a copy of the first buffer */
    GstCaps* caps;
    guint sleep_ms; /* a slow consumer */
} Run;

static void on_handoff(GstElement* sink, GstBuffer* buffer, GstPad* pad, gpointer data) {
    Run* run = data;
    GstClock* clock = gst_element_get_clock(sink);
    GstClockTime now = GST_CLOCK_TIME_NONE;
    if (clock != NULL) {
        now = gst_clock_get_time(clock) - gst_element_get_base_time(sink);
        gst_object_unref(clock);
    }
    g_mutex_lock(&run->lock);
    if (run->count < MAX_FRAMES) {
        run->pts[run->count] = GST_BUFFER_PTS(buffer);
        run->offset[run->count] = GST_BUFFER_OFFSET(buffer);
        run->arrival[run->count] = now;
    }
    if (run->first == NULL) {
        run->first = gst_buffer_copy_deep(buffer);
        run->caps = gst_pad_get_current_caps(pad);
    }
    run->count++;
    g_cond_broadcast(&run->arrived);
    g_mutex_unlock(&run->lock);
    if (run->sleep_ms > 0)
        g_usleep(run->sleep_ms * 1000);
}

static Run* run_new(const gchar* source, const gchar* filter) {
    Run* run = g_new0(Run, 1);
    GError* error = NULL;
    gchar* description = g_strdup_printf(
        "pixorasrc name=src %s ! %s%sfakesink name=sink signal-handoffs=true sync=false", source,
        filter, filter[0] != '\0' ? " ! " : "");
    run->pipeline = gst_parse_launch(description, &error);
    fail_unless(run->pipeline != NULL && error == NULL, "pipeline %s: %s", description,
                error != NULL ? error->message : "");
    g_free(description);
    run->src = gst_bin_get_by_name(GST_BIN(run->pipeline), "src");
    GstElement* sink = gst_bin_get_by_name(GST_BIN(run->pipeline), "sink");
    g_signal_connect(sink, "handoff", G_CALLBACK(on_handoff), run);
    gst_object_unref(sink);
    run->bus = gst_element_get_bus(run->pipeline);
    g_mutex_init(&run->lock);
    g_cond_init(&run->arrived);
    return run;
}

static void run_free(Run* run) {
    gst_element_set_state(run->pipeline, GST_STATE_NULL);
    gst_object_unref(run->src);
    gst_object_unref(run->bus);
    gst_object_unref(run->pipeline);
    if (run->first != NULL)
        gst_buffer_unref(run->first);
    if (run->caps != NULL)
        gst_caps_unref(run->caps);
    g_mutex_clear(&run->lock);
    g_cond_clear(&run->arrived);
    g_free(run);
}

static guint run_count(Run* run) {
    g_mutex_lock(&run->lock);
    guint count = run->count;
    g_mutex_unlock(&run->lock);
    return count;
}

/* Waits until `count` buffers reached the sink; FALSE after `seconds`. */
static gboolean run_wait(Run* run, guint count, gint seconds) {
    gint64 end = g_get_monotonic_time() + seconds * G_TIME_SPAN_SECOND;
    g_mutex_lock(&run->lock);
    while (run->count < count) {
        if (!g_cond_wait_until(&run->arrived, &run->lock, end))
            break;
    }
    gboolean reached = run->count >= count;
    g_mutex_unlock(&run->lock);
    return reached;
}

static void run_play(Run* run) {
    fail_if(gst_element_set_state(run->pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE);
}

/* The next message of one of `types` within `seconds`, or NULL. */
static GstMessage* run_message(Run* run, GstMessageType types, gint seconds) {
    return gst_bus_timed_pop_filtered(run->bus, seconds * GST_SECOND, types);
}

static gint error_code_of(GstMessage* message) {
    const GstStructure* details = NULL;
    gint code = -1;
    gst_message_parse_error_details(message, &details);
    if (details != NULL)
        gst_structure_get_int(details, "pixora-error", &code);
    return code;
}

static gchar* error_text_of(GstMessage* message) {
    GError* error = NULL;
    gst_message_parse_error(message, &error, NULL);
    gchar* text = g_strdup(error->message);
    g_error_free(error);
    return text;
}

static PixoraSimStatus camera_status(int index) {
    PixoraSimStatus status;
    memset(&status, 0, sizeof status);
    status.size = sizeof status;
    fail_unless_equals_int(PixoraSim_GetStatus(index, &status), 1);
    return status;
}

/* Waits until the camera waits for a trigger pulse (the stream is open and reading). The
 * check is made on the reading that ended the wait: a read seen waiting may take a pulse sent
 * earlier a moment later and then no longer wait until its frame is out. */
static void await_pulse_wait(int index) {
    PixoraSimStatus status = camera_status(index);
    for (gint i = 0; i < 1000 && status.readsWaiting == 0; ++i) {
        g_usleep(10 * 1000);
        status = camera_status(index);
    }
    fail_unless(status.readsWaiting > 0,
                "camera %d waits for no pulse (%d frames sent, %d failed, %d short)", index,
                status.framesSent, status.framesFailed, status.framesShort);
}

static gint stride_of(gint bits) {
    return (WIDTH * bits / 8 + 3) & ~3;
}

static void setup(void) {
    PixoraSim_Reset();
    fail_unless_equals_int(PixoraSim_Configure("cameras=0,1 fps=50 scene=bars maxwait=300"), 1);
}

static void teardown(void) {
    PixoraSim_Reset();
}

/* ---- caps --------------------------------------------------------------------------------- */

static gint32 control_id(const gchar* name) {
    gint32 id = PixoraEx_FindControl(name);
    fail_if(id < 0, "the library has no control %s", name);
    return id;
}

static PixoraControlInfo control_info(const gchar* name) {
    PixoraControlInfo info;
    memset(&info, 0, sizeof info);
    info.size = sizeof info;
    fail_unless_equals_int(PixoraEx_GetControlInfo(control_id(name), &info), 1);
    return info;
}

/* The capture window stored for camera 0: offset-x, offset-y, width, height. */
static void stored_window(gint32 window[4]) {
    const gchar* names[] = {"offset-x", "offset-y", "width", "height"};
    PIXORA_HANDLE camera = Pixora_Initialize(NULL);
    for (guint i = 0; i < 4; ++i)
        fail_unless_equals_int(PixoraEx_GetControl(camera, control_id(names[i]), &window[i]), 1);
    Pixora_Release(camera);
}

/* Stores a window of `width` x `height` at the sensor's corner for camera 0. */
static void store_size(gint32 width, gint32 height) {
    PIXORA_HANDLE camera = Pixora_Initialize(NULL);
    fail_unless_equals_int(PixoraEx_SetControl(camera, control_id("width"), width), 1);
    fail_unless_equals_int(PixoraEx_SetControl(camera, control_id("height"), height), 1);
    Pixora_Release(camera);
}

/* The range of a caps field: from its minimum to its maximum. */
static void fail_unless_range(const GstStructure* s, const gchar* field, gint minimum,
                              gint maximum) {
    const GValue* value = gst_structure_get_value(s, field);
    fail_unless(value != NULL && GST_VALUE_HOLDS_INT_RANGE(value), "%s is no range", field);
    fail_unless_equals_int(gst_value_get_int_range_min(value), minimum);
    fail_unless_equals_int(gst_value_get_int_range_max(value), maximum);
}

GST_START_TEST(caps_offer_the_window_in_four_formats_bgr_first) {
    GstElement* src = gst_element_factory_make("pixorasrc", NULL);
    GstPad* pad = gst_element_get_static_pad(src, "src");
    GstCaps* template = gst_pad_get_pad_template_caps(pad);
    fail_unless_equals_int(gst_caps_get_size(template), 5);
    gst_caps_unref(template);

    fail_unless_equals_int(gst_element_set_state(src, GST_STATE_PAUSED),
                           GST_STATE_CHANGE_NO_PREROLL);
    GstCaps* caps = gst_pad_query_caps(pad, NULL);
    const gchar* formats[] = {"BGR", "BGRx", "GRAY8", "GRAY16_LE", "grbg"};
    const PixoraControlInfo width = control_info("width");
    const PixoraControlInfo height = control_info("height");
    fail_unless_equals_int(gst_caps_get_size(caps), 5);
    /* Last the raw mosaic in the pattern of the full window. */
    fail_unless(gst_structure_has_name(gst_caps_get_structure(caps, 4), "video/x-bayer"));
    for (guint i = 0; i < 5; ++i) {
        const GstStructure* s = gst_caps_get_structure(caps, i);
        gint num = -1, den = -1;
        fail_unless_equals_string(gst_structure_get_string(s, "format"), formats[i]);
        /* Every size of the window that fits on the sensor from its start (the corner). */
        fail_unless_range(s, "width", width.minimum, WIDTH);
        fail_unless_range(s, "height", height.minimum, HEIGHT);
        /* Any rate until the camera streams and its rate is measured. */
        const GValue* rate = gst_structure_get_value(s, "framerate");
        fail_unless(rate != NULL && GST_VALUE_HOLDS_FRACTION_RANGE(rate));
        const GValue* lowest = gst_value_get_fraction_range_min(rate);
        num = gst_value_get_fraction_numerator(lowest);
        den = gst_value_get_fraction_denominator(lowest);
        fail_unless(num == 0 && den == 1, "rates from 0/1, not %d/%d", num, den);
    }
    gst_caps_unref(caps);
    gst_object_unref(pad);
    gst_element_set_state(src, GST_STATE_NULL);
    gst_object_unref(src);
}
GST_END_TEST

/* The word of sample (x, y) in a 16-bit frame. */
static guint word_at(const guint8* data, gint x, gint y) {
    const guint8* p = data + (gsize)y * stride_of(16) + x * 2;
    return p[0] | p[1] << 8;
}

GST_START_TEST(the_negotiated_format_chooses_the_colour_mode) {
    const struct {
        const gchar* format;
        gint bits;
    } modes[] = {{"BGR", 24}, {"BGRx", 32}, {"GRAY8", 8}, {"GRAY16_LE", 16}};
    for (guint m = 0; m < G_N_ELEMENTS(modes); ++m) {
        gchar* filter = g_strdup_printf("video/x-raw,format=%s", modes[m].format);
        Run* run = run_new("num-buffers=2", filter);
        g_free(filter);
        run_play(run);
        fail_unless(run_wait(run, 2, 10), "%s: no frames", modes[m].format);
        GstMapInfo map;
        fail_unless(gst_buffer_map(run->first, &map, GST_MAP_READ));
        fail_unless_equals_int(map.size, (gsize)stride_of(modes[m].bits) * HEIGHT);
        /* The white bar (about 200 of 255 on every sensor site, at the stored gain and
         * exposure) at row 300, column 85. */
        const gsize at = (gsize)300 * stride_of(modes[m].bits) + 85 * (modes[m].bits / 8);
        if (modes[m].bits == 16) {
            guint word = word_at(map.data, 85, 300);
            /* 10-bit samples spread over 16 bits: the top bits repeat below. */
            fail_unless((word >> 6) > 680 && (word >> 6) < 920, "sample %u", word >> 6);
            fail_unless_equals_int(word & 0x3F, (word >> 6) >> 4);
        } else {
            for (gint c = 0; c < (modes[m].bits == 8 ? 1 : 3); ++c)
                fail_unless(map.data[at + c] > 170 && map.data[at + c] < 230, "%s byte %d: %d",
                            modes[m].format, c, map.data[at + c]);
        }
        gst_buffer_unmap(run->first, &map);
        run_free(run);
    }
}
GST_END_TEST

/* ---- properties --------------------------------------------------------------------------- */

GST_START_TEST(setting_ranges_are_the_librarys) {
    GstElement* src = gst_element_factory_make("pixorasrc", NULL);
    const struct {
        const gchar* name;
        gint32 index;
    } settings[] = {{"brightness", PIXORA_FILTER_BRIGHTNESS},
                    {"contrast", PIXORA_FILTER_CONTRAST},
                    {"hue", PIXORA_FILTER_HUE},
                    {"saturation", PIXORA_FILTER_SATURATION},
                    {"sharpness", PIXORA_FILTER_SHARPNESS},
                    {"gamma", PIXORA_FILTER_GAMMA},
                    {"white-balance-red", PIXORA_FILTER_BAYER_GAIN_RED},
                    {"white-balance-blue", PIXORA_FILTER_BAYER_GAIN_BLUE}};
    for (guint i = 0; i < G_N_ELEMENTS(settings); ++i) {
        GParamSpecInt* spec = G_PARAM_SPEC_INT(
            g_object_class_find_property(G_OBJECT_GET_CLASS(src), settings[i].name));
        gint32 minimum = 0, maximum = 0;
        fail_unless_equals_int(PixoraEx_GetFilterRange(settings[i].index, &minimum, &maximum), 1);
        fail_unless_equals_int(spec->minimum, minimum);
        fail_unless_equals_int(spec->maximum, maximum);
        fail_unless(g_param_spec_get_blurb(G_PARAM_SPEC(spec))[0] != '\0');
    }
    /* Gain and exposure take -1 for the camera's stored value. */
    gint32 minimum = 0, maximum = 0;
    PixoraEx_GetFilterRange(PIXORA_FILTER_GLOBAL_GAIN, &minimum, &maximum);
    GParamSpecInt* gain =
        G_PARAM_SPEC_INT(g_object_class_find_property(G_OBJECT_GET_CLASS(src), "gain"));
    fail_unless_equals_int(gain->minimum, -1);
    fail_unless_equals_int(gain->maximum, maximum);
    fail_unless_equals_int(gain->default_value, -1);
    gst_object_unref(src);
}
GST_END_TEST

static gint32 stored_filter(gint32 index) {
    PIXORA_HANDLE camera = Pixora_Initialize(NULL);
    int32_t ok = 0;
    gint32 value = Pixora_GetFilterValue(camera, index, &ok);
    fail_unless_equals_int(ok, 1);
    Pixora_Release(camera);
    return value;
}

GST_START_TEST(settings_apply_while_playing_and_the_stored_ones_come_back) {
    const gint32 brightness = stored_filter(PIXORA_FILTER_BRIGHTNESS);
    const gint32 gain = stored_filter(PIXORA_FILTER_GLOBAL_GAIN);
    Run* run = run_new("brightness=40 gain=300", "");
    run_play(run);
    fail_unless(run_wait(run, 1, 10));
    gint value = 0;
    g_object_get(run->src, "brightness", &value, NULL);
    fail_unless_equals_int(value, 40);
    fail_unless_equals_int(camera_status(0).gain, 300);
    g_object_set(run->src, "contrast", 25, "gain", 500, NULL);
    g_object_get(run->src, "contrast", &value, NULL);
    fail_unless_equals_int(value, 25);
    fail_unless_equals_int(camera_status(0).gain, 500);
    run_free(run);
    /* The element changed this run only: the user's stored settings stay as they were. */
    fail_unless_equals_int(stored_filter(PIXORA_FILTER_BRIGHTNESS), brightness);
    fail_unless_equals_int(stored_filter(PIXORA_FILTER_GLOBAL_GAIN), gain);
    fail_unless_equals_int(stored_filter(PIXORA_FILTER_CONTRAST), 0);
}
GST_END_TEST

static gint red_gain(Run* run) {
    gint red = 0;
    g_object_get(run->src, "white-balance-red", &red, NULL);
    return red;
}

/* The red gain once it is inside (low, high), waiting up to 10 s for frames to measure it: a
 * loaded sanitizer build measures a few frames later than a quiet one. */
static gint red_gain_within(Run* run, gint low, gint high) {
    gint red = red_gain(run);
    for (int waited = 0; waited < 100 && !(red > low && red < high); ++waited) {
        run_wait(run, run_count(run) + 1, 1);
        red = red_gain(run);
    }
    return red;
}

GST_START_TEST(white_balance_once_measures_and_keeps_the_gains_for_the_run) {
    PixoraSim_SetScene(0, PIXORA_SIM_SCENE_GRADIENT);
    const gint32 red = stored_filter(PIXORA_FILTER_BAYER_GAIN_RED);
    /* The grey scene measures as about unity: the red gain asked for does not survive it. */
    Run* run = run_new("white-balance=once white-balance-red=300", "");
    run_play(run);
    fail_unless(run_wait(run, 4, 10));
    const gint measured = red_gain_within(run, 90, 110);
    fail_unless(measured > 90 && measured < 110, "red gain %d", measured);
    /* Once: a gain set after the measurement stays. */
    g_object_set(run->src, "white-balance-red", 300, NULL);
    fail_unless(run_wait(run, run_count(run) + 4, 10));
    fail_unless_equals_int(red_gain(run), 300);
    /* Continuous: every frame measures again (past the frames the queue made before). */
    g_object_set(run->src, "white-balance", 2, NULL);
    fail_unless(run_wait(run, run_count(run) + 12, 10));
    const gint continuous = red_gain_within(run, 0, 110);
    fail_unless(continuous < 110, "red gain %d", continuous);
    run_free(run);
    fail_unless_equals_int(stored_filter(PIXORA_FILTER_BAYER_GAIN_RED), red);
    fail_unless_equals_int(stored_filter(PIXORA_FILTER_BAYER_GAIN_AUTO), 0);
}
GST_END_TEST

/* ---- state changes, timestamps, drops ------------------------------------------------------ */

GST_START_TEST(pausing_stops_the_camera_and_playing_resumes_it) {
    Run* run = run_new("", "");
    run_play(run);
    fail_unless(run_wait(run, 3, 10));
    fail_unless_equals_int(gst_element_set_state(run->pipeline, GST_STATE_PAUSED),
                           GST_STATE_CHANGE_NO_PREROLL);
    const guint paused = run_count(run);
    const gint sent = camera_status(0).framesSent;
    g_usleep(200 * 1000);
    fail_unless_equals_int(run_count(run), paused);
    fail_unless(camera_status(0).framesSent <= sent + 1, "the camera went on while paused");
    run_play(run);
    fail_unless(run_wait(run, paused + 3, 10));
    for (guint i = 1; i < run_count(run) && i < MAX_FRAMES; ++i)
        fail_unless(run->offset[i] > run->offset[i - 1],
                    "offsets %" G_GUINT64_FORMAT " then %" G_GUINT64_FORMAT, run->offset[i - 1],
                    run->offset[i]);
    fail_unless_equals_int(gst_element_set_state(run->pipeline, GST_STATE_NULL),
                           GST_STATE_CHANGE_SUCCESS);
    fail_unless_equals_int(camera_status(0).openHandles, 0);
    run_free(run);
}
GST_END_TEST

GST_START_TEST(timestamps_are_the_running_time_of_the_transfer_and_offsets_its_number) {
    Run* run = run_new("", "");
    run_play(run);
    fail_unless(run_wait(run, 10, 10));
    g_mutex_lock(&run->lock);
    for (guint i = 0; i < 10; ++i) {
        fail_unless(GST_CLOCK_TIME_IS_VALID(run->pts[i]));
        /* Taken before the sink had it, and not long before (the first frames wait in the
         * queue while the element measures the camera's rate). */
        fail_unless(run->pts[i] <= run->arrival[i], "frame %u stamped after it arrived", i);
        fail_unless(run->arrival[i] - run->pts[i] < 2 * GST_SECOND);
        if (i > 0) {
            fail_unless(run->pts[i] > run->pts[i - 1]);
            fail_unless(run->offset[i] > run->offset[i - 1]);
        }
    }
    /* Frame numbers count the camera's frames: over the run the time between the first and
     * the last buffer is as many of the camera's 20 ms as their numbers differ (one frame's
     * transfer may end late on a busy machine, so not each step on its own). */
    const GstClockTime span = run->pts[9] - run->pts[0];
    const guint64 frames = run->offset[9] - run->offset[0];
    fail_unless(
        span > frames * 15 * GST_MSECOND && span < frames * 20 * GST_MSECOND + GST_SECOND / 4,
        "%" GST_TIME_FORMAT " for %" G_GUINT64_FORMAT " frames", GST_TIME_ARGS(span), frames);
    g_mutex_unlock(&run->lock);
    run_free(run);
}
GST_END_TEST

GST_START_TEST(a_slow_consumer_sees_its_drops_in_qos_messages_and_the_stats) {
    Run* run = run_new("", "");
    run->sleep_ms = 100; /* five of the camera's frames at 50 a second */
    run_play(run);
    GstMessage* qos = run_message(run, GST_MESSAGE_QOS, 10);
    fail_unless(qos != NULL, "no QoS message");
    fail_unless(GST_MESSAGE_SRC(qos) == GST_OBJECT(run->src));
    GstFormat format;
    guint64 processed = 0, dropped = 0;
    gst_message_parse_qos_stats(qos, &format, &processed, &dropped);
    fail_unless_equals_int(format, GST_FORMAT_BUFFERS);
    fail_unless(processed >= 2 && dropped >= 1);
    gst_message_unref(qos);
    /* The buffer after the gap, which the message came with, reaches the sink. */
    fail_unless(run_wait(run, run_count(run) + 2, 10));
    fail_unless_equals_int(gst_element_set_state(run->pipeline, GST_STATE_NULL),
                           GST_STATE_CHANGE_SUCCESS);
    GstStructure* stats = NULL;
    g_object_get(run->src, "stats", &stats, NULL);
    guint64 frames = 0, missed = 0;
    fail_unless(gst_structure_get_uint64(stats, "frames", &frames));
    fail_unless(gst_structure_get_uint64(stats, "dropped", &missed));
    gst_structure_free(stats);
    fail_unless(frames >= processed && missed >= dropped);
    /* The numbers the sink saw skip at least as many frames as the element counted for them. */
    const guint count = MIN(run_count(run), MAX_FRAMES);
    const guint64 skipped = run->offset[count - 1] - run->offset[0] + 1 - count;
    fail_unless(frames >= count && skipped > 0 && missed >= skipped,
                "frames %" G_GUINT64_FORMAT " dropped %" G_GUINT64_FORMAT
                " skipped %" G_GUINT64_FORMAT,
                frames, missed, skipped);
    run_free(run);
}
GST_END_TEST

GST_START_TEST(two_elements_drive_two_cameras) {
    GError* error = NULL;
    GstElement* pipeline = gst_parse_launch(
        "pixorasrc device=0 num-buffers=5 ! fakesink pixorasrc device=1 num-buffers=5 ! fakesink",
        &error);
    fail_unless(pipeline != NULL && error == NULL);
    fail_if(gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message =
        gst_bus_timed_pop_filtered(bus, 20 * GST_SECOND, GST_MESSAGE_EOS | GST_MESSAGE_ERROR);
    fail_unless(message != NULL && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS);
    gst_message_unref(message);
    fail_unless(camera_status(0).framesSent >= 5 && camera_status(1).framesSent >= 5);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(bus);
    gst_object_unref(pipeline);
}
GST_END_TEST

/* ---- errors and shutdown ------------------------------------------------------------------ */

GST_START_TEST(an_absent_camera_fails_the_start_with_the_librarys_code) {
    Run* run = run_new("device=3", "");
    fail_unless_equals_int(gst_element_set_state(run->pipeline, GST_STATE_PLAYING),
                           GST_STATE_CHANGE_FAILURE);
    GstMessage* message = run_message(run, GST_MESSAGE_ERROR, 5);
    fail_unless(message != NULL);
    GError* error = NULL;
    gst_message_parse_error(message, &error, NULL);
    fail_unless(g_error_matches(error, GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_FOUND));
    fail_unless(strstr(error->message, "camera 3") != NULL, "%s", error->message);
    fail_unless(strstr(error->message, "error 2 (device not found") != NULL, "%s", error->message);
    fail_unless_equals_int(error_code_of(message), PIXORA_ERR_DEVICE_NOT_FOUND);
    g_error_free(error);
    gst_message_unref(message);
    run_free(run);
}
GST_END_TEST

GST_START_TEST(a_camera_that_vanishes_ends_the_stream_with_an_error) {
    fail_unless_equals_int(PixoraSim_SetFault(0, PIXORA_SIM_FAULT_VANISH, 5), 1);
    Run* run = run_new("", "");
    run_play(run);
    GstMessage* message = run_message(run, GST_MESSAGE_ERROR | GST_MESSAGE_EOS, 10);
    fail_unless(message != NULL && GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR);
    fail_unless_equals_int(error_code_of(message), PIXORA_ERR_STREAM_FAILED);
    gchar* text = error_text_of(message);
    fail_unless(strstr(text, "error 13") != NULL, "%s", text);
    g_free(text);
    gst_message_unref(message);
    fail_unless(run_count(run) <= 5);
    run_free(run);
}
GST_END_TEST

GST_START_TEST(no_frame_within_the_timeout_is_an_error) {
    Run* run = run_new("trigger=true timeout=300", "");
    run_play(run);
    GstMessage* message = run_message(run, GST_MESSAGE_ERROR, 10);
    fail_unless(message != NULL);
    gchar* text = error_text_of(message);
    fail_unless(strstr(text, "no frame within 300 ms") != NULL, "%s", text);
    g_free(text);
    gst_message_unref(message);
    run_free(run);
}
GST_END_TEST

GST_START_TEST(trigger_mode_gives_a_frame_per_pulse_and_stops_at_once) {
    /* The driver's own 3 s time-out, which a stop must not wait for. */
    fail_unless_equals_int(PixoraSim_Configure("maxwait=0"), 1);
    Run* run = run_new("trigger=true", "");
    run_play(run);
    for (guint pulse = 1; pulse <= 3; ++pulse) {
        /* Wait until the camera waits for the pulse, so that none is sent too early. */
        for (gint i = 0; i < 200 && camera_status(0).readsWaiting == 0; ++i)
            g_usleep(10 * 1000);
        fail_unless_equals_int(PixoraSim_Trigger(0), 1);
        fail_unless(run_wait(run, pulse, 10), "no frame for pulse %u", pulse);
    }
    fail_unless_equals_int(run_count(run), 3);
    fail_unless_equals_int(run->offset[2] - run->offset[0], 2);
    /* The element now waits for a pulse that does not come: stopping does not wait for it. */
    g_usleep(300 * 1000);
    for (gint round = 0; round < 3; ++round) {
        gint64 start = g_get_monotonic_time();
        fail_unless_equals_int(gst_element_set_state(run->pipeline, GST_STATE_NULL),
                               GST_STATE_CHANGE_SUCCESS);
        gint64 took = g_get_monotonic_time() - start;
        /* Waiting for the pulse would hold the change for the transfer time-out (3 s); a
         * loaded machine may still take a few hundred ms to stop the streaming thread. */
        fail_unless(took < 2 * G_TIME_SPAN_SECOND,
                    "the change to NULL took %" G_GINT64_FORMAT " us", took);
        run_play(run);
        await_pulse_wait(0);
    }
    run_free(run);
}
GST_END_TEST

/* ---- the library's log -------------------------------------------------------------------- */

typedef struct {
    GMutex lock;
    gchar* heard; /* the first warning of the element's category that names the settings */
} Heard;

static void hear(GstDebugCategory* category, GstDebugLevel level, const gchar* file,
                 const gchar* function, gint line, GObject* object, GstDebugMessage* message,
                 gpointer data) {
    (void)file, (void)function, (void)line, (void)object;
    Heard* heard = data;
    const gchar* text = gst_debug_message_get(message);
    if (level != GST_LEVEL_WARNING ||
        strcmp(gst_debug_category_get_name(category), "pixorasrc") != 0 || text == NULL ||
        strstr(text, "settings file") == NULL)
        return;
    g_mutex_lock(&heard->lock);
    if (heard->heard == NULL)
        heard->heard = g_strdup(text);
    g_mutex_unlock(&heard->lock);
}

/* A settings path that is a folder: the library's warning, which it never prints, is in
 * GStreamer's debug log under the element's category. */
GST_START_TEST(the_librarys_warnings_reach_the_debug_log) {
    gchar* folder = g_dir_make_tmp("pixorasrc-log-XXXXXX", NULL);
    gchar* previous = g_strdup(g_getenv("PIXORA_REGISTRY"));
    g_setenv("PIXORA_REGISTRY", folder, TRUE);
    Heard heard;
    memset(&heard, 0, sizeof heard);
    g_mutex_init(&heard.lock);
    gst_debug_set_active(TRUE);
    gst_debug_set_threshold_for_name("pixorasrc", GST_LEVEL_WARNING);
    gst_debug_add_log_function(hear, &heard, NULL);

    Run* run = run_new("", "");
    run_play(run);
    fail_unless(run_wait(run, 1, 10));
    run_free(run);

    gst_debug_remove_log_function(hear);
    g_setenv("PIXORA_REGISTRY", previous, TRUE);
    fail_unless(heard.heard != NULL, "no warning of the library in the debug log");
    fail_unless(strstr(heard.heard, folder) != NULL, "%s", heard.heard);
    fail_unless(strstr(heard.heard, "is not a regular file") != NULL, "%s", heard.heard);
    g_free(heard.heard);
    g_mutex_clear(&heard.lock);
    g_rmdir(folder);
    g_free(folder);
    g_free(previous);
}
GST_END_TEST

/* ---- the frame queue: rate, latency, restarts, trigger ------------------------------------ */

GST_START_TEST(caps_and_buffers_carry_the_cameras_measured_rate) {
    Run* run = run_new("", "");
    run_play(run);
    fail_unless(run_wait(run, 12, 10));
    /* The camera runs at 50 frames a second, or fewer on a busy machine: the caps say the rate
     * its frame numbers and times show, and a buffer lasts one frame of that rate. The rate is
     * measured over the first frames, when a loaded sanitizer build is slowest, so the bounds
     * allow for load and still refuse no rate or a rate of another order. */
    g_mutex_lock(&run->lock);
    const double shown = (double)(run->offset[11] - run->offset[1]) * GST_SECOND /
                         (double)(run->pts[11] - run->pts[1]);
    g_mutex_unlock(&run->lock);
    gint num = 0, den = 1;
    fail_unless(
        gst_structure_get_fraction(gst_caps_get_structure(run->caps, 0), "framerate", &num, &den));
    const double rate = (double)num / den;
    fail_unless(rate > 5 && rate < 55 && rate > shown * 0.5 && rate < shown * 2,
                "framerate %d/%d, the frames show %.1f", num, den, shown);
    const GstClockTime duration = GST_BUFFER_DURATION(run->first);
    const GstClockTime period = gst_util_uint64_scale_int(GST_SECOND, den, num);
    fail_unless(GST_CLOCK_TIME_IS_VALID(duration));
    fail_unless(duration + GST_MSECOND / 10 > period && duration < period + GST_MSECOND / 10,
                "duration %" GST_TIME_FORMAT " at %d/%d", GST_TIME_ARGS(duration), num, den);
    run_free(run);
}
GST_END_TEST

/* Whether a message of `type` arrived on `bus` (the others are dropped). */
static GstMessage* find_message(GstBus* bus, GstMessageType type) {
    GstMessage* message = NULL;
    while ((message = gst_bus_pop(bus)) != NULL) {
        if (GST_MESSAGE_TYPE(message) == type)
            return message;
        gst_message_unref(message);
    }
    return NULL;
}

GST_START_TEST(a_synchronised_sink_after_the_element_needs_no_queue) {
    GError* error = NULL;
    GstElement* pipeline = gst_parse_launch("pixorasrc ! fakesink sync=true", &error);
    fail_unless(pipeline != NULL && error == NULL);
    GstBus* bus = gst_element_get_bus(pipeline);
    fail_if(gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE);
    fail_unless_equals_int(gst_element_get_state(pipeline, NULL, NULL, 10 * GST_SECOND),
                           GST_STATE_CHANGE_SUCCESS);
    g_usleep(500 * 1000);
    GstQuery* query = gst_query_new_latency();
    fail_unless(gst_element_query(pipeline, query));
    gboolean live = FALSE;
    GstClockTime minimum = 0, maximum = 0;
    gst_query_parse_latency(query, &live, &minimum, &maximum);
    gst_query_unref(query);
    fail_unless(live);
    /* At least a frame of the camera's 20 ms; the queue's 8 frames give room above it. */
    fail_unless(minimum >= 18 * GST_MSECOND, "min %" GST_TIME_FORMAT, GST_TIME_ARGS(minimum));
    fail_unless(!GST_CLOCK_TIME_IS_VALID(maximum) || maximum > minimum,
                "min %" GST_TIME_FORMAT " max %" GST_TIME_FORMAT, GST_TIME_ARGS(minimum),
                GST_TIME_ARGS(maximum));
    GstMessage* warning = find_message(bus, GST_MESSAGE_WARNING);
    if (warning != NULL) {
        GError* text = NULL;
        gst_message_parse_warning(warning, &text, NULL);
        fail("warning: %s", text->message);
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(bus);
    gst_object_unref(pipeline);
}
GST_END_TEST

GST_START_TEST(the_queue_size_is_a_property_of_one_to_the_librarys_most) {
    GstElement* src = gst_element_factory_make("pixorasrc", NULL);
    GParamSpecUInt* spec =
        G_PARAM_SPEC_UINT(g_object_class_find_property(G_OBJECT_GET_CLASS(src), "queue-size"));
    fail_unless(spec != NULL);
    fail_unless_equals_int(spec->minimum, 1);
    fail_unless_equals_int(spec->maximum, PIXORA_STREAM_MAX_BUFFERS);
    fail_unless(spec->default_value >= 4 && spec->default_value <= 8);
    gst_object_unref(src);
}
GST_END_TEST

/* Waits until the camera waits for a pulse, so that none is sent too early, and sends one. */
static void pulse(int index) {
    await_pulse_wait(index);
    fail_unless_equals_int(PixoraSim_Trigger(index), 1);
}

GST_START_TEST(a_triggered_pipeline_plays_before_the_first_pulse_and_waits_out_long_gaps) {
    Run* run = run_new("trigger=true", "");
    run_play(run);
    /* Live: PLAYING without a frame. */
    fail_unless_equals_int(gst_element_get_state(run->pipeline, NULL, NULL, 5 * GST_SECOND),
                           GST_STATE_CHANGE_SUCCESS);
    fail_unless_equals_int(run_count(run), 0);
    pulse(0);
    fail_unless(run_wait(run, 1, 10));
    /* A gap of several of the driver's time-outs (300 ms here) is no failure. */
    g_usleep(1200 * 1000);
    fail_unless(run_message(run, GST_MESSAGE_ERROR, 0) == NULL);
    pulse(0);
    fail_unless(run_wait(run, 2, 10));
    fail_unless_equals_int(run->offset[1] - run->offset[0], 1);
    run_free(run);
}
GST_END_TEST

GST_START_TEST(a_burst_of_pulses_reaches_a_slow_consumer_whole) {
    /* The driver's own 3 s time-out: a busy machine's slow transfer is not cut short. */
    fail_unless_equals_int(PixoraSim_Configure("maxwait=0"), 1);
    Run* run = run_new("trigger=true queue-size=8", "");
    run->sleep_ms = 100;
    run_play(run);
    fail_unless_equals_int(gst_element_get_state(run->pipeline, NULL, NULL, 5 * GST_SECOND),
                           GST_STATE_CHANGE_SUCCESS);
    /* Eight pulses as fast as the camera takes them, against a consumer of 100 ms a frame. */
    for (gint i = 0; i < 8; ++i)
        pulse(0);
    fail_unless(run_wait(run, 8, 20), "%u of 8 pulses", run_count(run));
    for (guint i = 1; i < 8; ++i)
        fail_unless_equals_int(run->offset[i] - run->offset[i - 1], 1);
    fail_unless(run_message(run, GST_MESSAGE_QOS, 0) == NULL, "frames were dropped");
    GstStructure* stats = NULL;
    g_object_get(run->src, "stats", &stats, NULL);
    guint64 missed = 1;
    fail_unless(gst_structure_get_uint64(stats, "dropped", &missed));
    gst_structure_free(stats);
    fail_unless_equals_int(missed, 0);
    run_free(run);
}
GST_END_TEST

/* Stops the run's pipeline, empties its record, and plays it again. */
static void run_restart(Run* run, GstState from) {
    fail_unless_equals_int(gst_element_set_state(run->pipeline, from), GST_STATE_CHANGE_SUCCESS);
    g_mutex_lock(&run->lock);
    run->count = 0;
    g_mutex_unlock(&run->lock);
    run_play(run);
}

GST_START_TEST(every_restart_begins_afresh) {
    Run* run = run_new("", "");
    run_play(run);
    fail_unless(run_wait(run, 5, 10));
    /* A bound that tells a stalled start (the driver's time-outs, a wait for a frame number
     * of the previous run) from a normal one. */
    for (gint cycle = 0; cycle < 20; ++cycle) {
        run_restart(run, cycle % 2 == 0 ? GST_STATE_NULL : GST_STATE_READY);
        fail_unless(run_wait(run, 1, 3), "restart %d gave no buffer", cycle);
    }
    /* Another camera from READY. */
    const gint sent = camera_status(1).framesSent;
    fail_unless_equals_int(gst_element_set_state(run->pipeline, GST_STATE_READY),
                           GST_STATE_CHANGE_SUCCESS);
    g_object_set(run->src, "device", 1, NULL);
    run_restart(run, GST_STATE_READY);
    fail_unless(run_wait(run, 2, 3), "the other camera gave no buffer");
    fail_unless(camera_status(1).framesSent > sent);
    run_free(run);

    /* Triggered: each pulse after a restart gives its frame. */
    run = run_new("trigger=true", "");
    for (gint cycle = 0; cycle < 3; ++cycle) {
        if (cycle == 0)
            run_play(run);
        else
            run_restart(run, GST_STATE_NULL);
        for (guint i = 1; i <= 3; ++i) {
            pulse(0);
            fail_unless(run_wait(run, i, 3), "restart %d: %u of 3 pulses", cycle, run_count(run));
        }
    }
    run_free(run);
}
GST_END_TEST

GST_START_TEST(a_size_the_camera_cannot_give_fails_naming_the_sizes_it_gives) {
    /* 1300 columns from column 100 leave the sensor. */
    Run* run = run_new("offset-x=100", "video/x-raw,width=1300,height=480");
    run_play(run);
    GstMessage* message = run_message(run, GST_MESSAGE_ERROR, 10);
    fail_unless(message != NULL);
    gchar* text = error_text_of(message);
    gchar* widths = g_strdup_printf("widths %d to %d", control_info("width").minimum, WIDTH - 100);
    gchar* heights = g_strdup_printf("heights %d to %d", control_info("height").minimum, HEIGHT);
    fail_unless(strstr(text, widths) != NULL && strstr(text, heights) != NULL &&
                    strstr(text, "1300 x 480") != NULL,
                "%s", text);
    g_free(widths);
    g_free(heights);
    g_free(text);
    gst_message_unref(message);
    run_free(run);
}
GST_END_TEST

GST_START_TEST(a_size_in_the_caps_is_that_crop_of_the_full_frame_for_the_run) {
    /* The library's gray picture of the whole sensor. */
    guint8* full = g_malloc((gsize)WIDTH * HEIGHT);
    PIXORA_HANDLE camera = Pixora_Initialize(NULL);
    const gint32 mode = Pixora_GetColorMode(camera);
    fail_unless_equals_int(Pixora_SetColorMode(camera, 8), 1);
    fail_unless_equals_int(Pixora_SnapShot(camera, full, WIDTH * HEIGHT, 1), 1);
    fail_unless_equals_int(Pixora_SetColorMode(camera, mode), 1);
    Pixora_Release(camera);

    Run* run = run_new("num-buffers=2 offset-x=101 offset-y=51",
                       "video/x-raw,format=GRAY8,width=680,height=500");
    run_play(run);
    fail_unless(run_wait(run, 2, 10));
    GstVideoInfo info;
    fail_unless(gst_video_info_from_caps(&info, run->caps));
    fail_unless_equals_int(GST_VIDEO_INFO_WIDTH(&info), 680);
    fail_unless_equals_int(GST_VIDEO_INFO_HEIGHT(&info), 500);
    GstVideoMeta* video = gst_buffer_get_video_meta(run->first);
    const gint stride = video != NULL ? video->stride[0] : GST_VIDEO_INFO_PLANE_STRIDE(&info, 0);
    GstMapInfo map;
    fail_unless(gst_buffer_map(run->first, &map, GST_MAP_READ));
    fail_unless(map.size >= (gsize)stride * 500);
    /* Row 0 begins with the frame's number; every other pixel is the full frame's. */
    guint differences = 0;
    for (gint y = 1; y < 500; ++y) {
        for (gint x = 0; x < 680; ++x)
            differences +=
                map.data[(gsize)y * stride + x] != full[(gsize)(51 + y) * WIDTH + 101 + x];
    }
    fail_unless_equals_int(differences, 0);
    gst_buffer_unmap(run->first, &map);
    run_free(run);
    g_free(full);

    /* The raw mosaic of a window that starts on an odd column and row begins with the full
     * window's second row, shifted by a column. */
    run = run_new("num-buffers=2 offset-x=101 offset-y=51", "video/x-bayer,width=680,height=500");
    run_play(run);
    fail_unless(run_wait(run, 2, 10));
    const GstStructure* s = gst_caps_get_structure(run->caps, 0);
    gint width = 0, height = 0;
    fail_unless_equals_string(gst_structure_get_string(s, "format"), "gbrg");
    fail_unless(gst_structure_get_int(s, "width", &width) && width == 680);
    fail_unless(gst_structure_get_int(s, "height", &height) && height == 500);
    fail_unless_equals_int(gst_buffer_get_size(run->first), 680 * 500);
    run_free(run);

    /* The window is the run's, as the offsets are: the stored one comes back at the stop. */
    gint32 window[4];
    stored_window(window);
    fail_unless(window[0] == 0 && window[1] == 0 && window[2] == WIDTH && window[3] == HEIGHT,
                "stored window %d, %d, %d x %d", window[0], window[1], window[2], window[3]);
}
GST_END_TEST

/* Caps that name no size get the stored window's, or as much of it as fits from the offsets. */
GST_START_TEST(without_a_size_in_the_caps_the_stored_window_is_kept) {
    store_size(640, 480);
    const struct {
        const gchar* source;
        gint width;
    } runs[] = {{"num-buffers=2", 640}, {"num-buffers=2 offset-x=800", WIDTH - 800}};
    for (guint i = 0; i < G_N_ELEMENTS(runs); ++i) {
        Run* run = run_new(runs[i].source, "videoconvert");
        run_play(run);
        fail_unless(run_wait(run, 2, 10), "%s: no frames", runs[i].source);
        GstPad* pad = gst_element_get_static_pad(run->src, "src");
        GstCaps* caps = gst_pad_get_current_caps(pad);
        gst_object_unref(pad);
        const GstStructure* s = gst_caps_get_structure(caps, 0);
        gint width = 0, height = 0;
        fail_unless(gst_structure_get_int(s, "width", &width) && width == runs[i].width,
                    "%s: width %d", runs[i].source, width);
        fail_unless(gst_structure_get_int(s, "height", &height) && height == 480);
        gst_caps_unref(caps);
        run_free(run);
    }
    gint32 window[4];
    stored_window(window);
    store_size(WIDTH, HEIGHT);
    fail_unless(window[0] == 0 && window[2] == 640 && window[3] == 480,
                "stored window %d, %d, %d x %d", window[0], window[1], window[2], window[3]);
}
GST_END_TEST

GST_START_TEST(buffers_are_the_queues_memory_with_the_librarys_stride) {
    Run* run = run_new("", "video/x-raw,format=BGR");
    run_play(run);
    fail_unless(run_wait(run, 2, 10));
    GstVideoMeta* video = gst_buffer_get_video_meta(run->first);
    fail_unless(video != NULL);
    fail_unless_equals_int(video->format, GST_VIDEO_FORMAT_BGR);
    fail_unless_equals_int(video->stride[0], stride_of(24));
    run_free(run);
}
GST_END_TEST

GST_START_TEST(each_buffer_carries_the_settings_its_frame_was_taken_with) {
    Run* run = run_new("gain=300 exposure=400", "");
    run_play(run);
    fail_unless(run_wait(run, 2, 10));
    GstCustomMeta* meta = gst_buffer_get_custom_meta(run->first, "PixoraFrameMeta");
    fail_unless(meta != NULL);
    const GstStructure* s = gst_custom_meta_get_structure(meta);
    guint64 sequence = 0;
    gint gain = 0, exposure = 0, red = 0, mode = 0;
    gboolean triggered = TRUE;
    fail_unless(gst_structure_get_uint64(s, "sequence", &sequence));
    fail_unless_equals_int(sequence, GST_BUFFER_OFFSET(run->first));
    fail_unless(gst_structure_get_int(s, "analog-gain", &gain));
    fail_unless_equals_int(gain, 300);
    fail_unless(gst_structure_get_int(s, "exposure", &exposure));
    fail_unless_equals_int(exposure, 400);
    fail_unless(gst_structure_get_int(s, "white-balance-red", &red) && red > 0);
    fail_unless(gst_structure_get_int(s, "color-mode", &mode));
    fail_unless_equals_int(mode, 24);
    fail_unless(gst_structure_get_boolean(s, "triggered", &triggered) && !triggered);
    fail_if(gst_structure_has_field(s, "bayer-pattern"));
    run_free(run);
}
GST_END_TEST

GST_START_TEST(the_raw_mosaic_through_bayer2rgb_gives_the_cameras_colours) {
    GstElementFactory* demosaic = gst_element_factory_find("bayer2rgb");
    if (demosaic == NULL) {
        /* Debian's gstreamer1.0-plugins-bad (scripts/install-deps --test) has it. */
        g_printerr("bayer2rgb is not installed: the raw mosaic's colours are not checked\n");
        return;
    }
    gst_object_unref(demosaic);
    Run* run = run_new("num-buffers=2", "video/x-bayer ! bayer2rgb ! video/x-raw,format=RGBx");
    run_play(run);
    fail_unless(run_wait(run, 2, 10));
    GstMapInfo map;
    fail_unless(gst_buffer_map(run->first, &map, GST_MAP_READ));
    fail_unless_equals_int(map.size, (gsize)WIDTH * HEIGHT * 4);
    /* Row 300 crosses the eight bars: white, yellow, cyan, green, magenta, red, blue, black. */
    const guint8 bars[8][3] = {{1, 1, 1}, {1, 1, 0}, {0, 1, 1}, {0, 1, 0},
                               {1, 0, 1}, {1, 0, 0}, {0, 0, 1}, {0, 0, 0}};
    for (gint bar = 0; bar < 8; ++bar) {
        const guint8* pixel = map.data + ((gsize)300 * WIDTH + bar * 170 + 85) * 4;
        for (gint c = 0; c < 3; ++c) {
            if (bars[bar][c])
                fail_unless(pixel[c] > 140, "bar %d channel %d: %d", bar, c, pixel[c]);
            else
                fail_unless(pixel[c] < 60, "bar %d channel %d: %d", bar, c, pixel[c]);
        }
    }
    gst_buffer_unmap(run->first, &map);
    run_free(run);
}
GST_END_TEST

static Suite* pixorasrc_suite(void) {
    Suite* suite = suite_create("pixorasrc");
    TCase* tc = tcase_create("element");
    tcase_add_checked_fixture(tc, setup, teardown);
    tcase_set_timeout(tc, 60);
    tcase_add_test(tc, caps_offer_the_window_in_four_formats_bgr_first);
    tcase_add_test(tc, the_negotiated_format_chooses_the_colour_mode);
    tcase_add_test(tc, setting_ranges_are_the_librarys);
    tcase_add_test(tc, settings_apply_while_playing_and_the_stored_ones_come_back);
    tcase_add_test(tc, white_balance_once_measures_and_keeps_the_gains_for_the_run);
    tcase_add_test(tc, pausing_stops_the_camera_and_playing_resumes_it);
    tcase_add_test(tc, timestamps_are_the_running_time_of_the_transfer_and_offsets_its_number);
    tcase_add_test(tc, a_slow_consumer_sees_its_drops_in_qos_messages_and_the_stats);
    tcase_add_test(tc, two_elements_drive_two_cameras);
    tcase_add_test(tc, an_absent_camera_fails_the_start_with_the_librarys_code);
    tcase_add_test(tc, a_camera_that_vanishes_ends_the_stream_with_an_error);
    tcase_add_test(tc, no_frame_within_the_timeout_is_an_error);
    tcase_add_test(tc, trigger_mode_gives_a_frame_per_pulse_and_stops_at_once);
    tcase_add_test(tc, the_librarys_warnings_reach_the_debug_log);
    tcase_add_test(tc, caps_and_buffers_carry_the_cameras_measured_rate);
    tcase_add_test(tc, a_synchronised_sink_after_the_element_needs_no_queue);
    tcase_add_test(tc, the_queue_size_is_a_property_of_one_to_the_librarys_most);
    tcase_add_test(tc, a_triggered_pipeline_plays_before_the_first_pulse_and_waits_out_long_gaps);
    tcase_add_test(tc, a_burst_of_pulses_reaches_a_slow_consumer_whole);
    tcase_add_test(tc, a_size_the_camera_cannot_give_fails_naming_the_sizes_it_gives);
    tcase_add_test(tc, a_size_in_the_caps_is_that_crop_of_the_full_frame_for_the_run);
    tcase_add_test(tc, without_a_size_in_the_caps_the_stored_window_is_kept);
    tcase_add_test(tc, buffers_are_the_queues_memory_with_the_librarys_stride);
    tcase_add_test(tc, each_buffer_carries_the_settings_its_frame_was_taken_with);
    tcase_add_test(tc, the_raw_mosaic_through_bayer2rgb_gives_the_cameras_colours);
    suite_add_tcase(suite, tc);
    /* Many starts and stops, slow in the sanitizer builds. */
    TCase* restarts = tcase_create("restarts");
    tcase_add_checked_fixture(restarts, setup, teardown);
    tcase_set_timeout(restarts, 300);
    tcase_add_test(restarts, every_restart_begins_afresh);
    suite_add_tcase(suite, restarts);
    return suite;
}

int main(int argc, char** argv) {
    /* The tests never touch the user's settings: a settings file of their own. */
    gchar* folder = g_dir_make_tmp("pixorasrc-check-XXXXXX", NULL);
    gchar* settings = g_build_filename(folder, "registry.reg", NULL);
    g_setenv("PIXORA_REGISTRY", settings, TRUE);
    gst_check_init(&argc, &argv);
    if (!pixora_gst_register_static()) {
        g_printerr("pixorasrc could not be registered\n");
        return 1;
    }
    int failed = gst_check_run_suite(pixorasrc_suite(), "pixorasrc", __FILE__);
    /* The settings file and the lock file the library keeps beside it. */
    gchar* lock = g_strconcat(settings, ".lock", NULL);
    g_unlink(lock);
    g_unlink(settings);
    g_rmdir(folder);
    g_free(lock);
    g_free(settings);
    g_free(folder);
    return failed;
}

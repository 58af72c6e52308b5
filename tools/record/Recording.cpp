// pixora record with GStreamer: runs the recording pipeline with live progress until the
// end asked for or Ctrl-C, then finishes the file with an end of stream.
#include <gst/gst.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "ExitStatus.h"
#include "Interrupt.h"
#include "LibraryLog.h"
#include "PixoraSrc.h"
#include "RecordPipeline.h"
#include "RecordPlan.h"
#include "ReplacedFile.h"
#include "StreamProgress.h"
#include "Terminal.h"

namespace pixora::cli {

namespace {

// How long the muxer may take to finish the file after the end of stream.
constexpr auto kFinishLimit = std::chrono::seconds(15);

struct ObjectUnref {
    void operator()(gpointer object) const { gst_object_unref(object); }
};
using Element = std::unique_ptr<GstElement, ObjectUnref>;
using Bus = std::unique_ptr<GstBus, ObjectUnref>;

// Buffers leaving the camera's element, counted on its streaming thread. The file starts at
// the first frame, and with --seconds the frames past the length asked for stay out of it.
struct FrameTally {
    GstClockTime length = GST_CLOCK_TIME_NONE;  // of the video to record, if limited
    std::atomic<int64_t> frames{0};
    std::atomic<GstClockTime> first{GST_CLOCK_TIME_NONE};
    std::atomic<bool> complete{false};  // a frame came past the length
};

GstPadProbeReturn CountFrame(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
    auto* tally = static_cast<FrameTally*>(data);
    const GstClockTime pts = GST_BUFFER_PTS(GST_PAD_PROBE_INFO_BUFFER(info));
    if (GST_CLOCK_TIME_IS_VALID(pts)) {
        GstClockTime none = GST_CLOCK_TIME_NONE;
        if (tally->first.compare_exchange_strong(none, pts)) {
            // The running time the camera took its first frame at becomes the file's 0.
            gst_pad_set_offset(pad, -static_cast<gint64>(pts));
        }
        if (GST_CLOCK_TIME_IS_VALID(tally->length) && pts - tally->first.load() >= tally->length) {
            tally->complete.store(true);
            return GST_PAD_PROBE_DROP;
        }
    }
    tally->frames.fetch_add(1);
    return GST_PAD_PROBE_OK;
}

// Dropped and failed frames from the element's statistics.
void ReadStats(GstElement* camera, StreamCounts* counts) {
    GstStructure* stats = nullptr;
    g_object_get(camera, "stats", &stats, nullptr);
    if (stats == nullptr)
        return;
    guint64 dropped = 0;
    guint64 failed = 0;
    if (gst_structure_get_uint64(stats, "dropped", &dropped))
        counts->dropped = static_cast<int64_t>(dropped);
    if (gst_structure_get_uint64(stats, "failed", &failed))
        counts->failed = static_cast<int64_t>(failed);
    gst_structure_free(stats);
}

// The library's error code the element attached to its message, 0 when there is none.
int32_t LibraryCode(GstMessage* message) {
    const GstStructure* details = nullptr;
    gint code = 0;
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR)
        gst_message_parse_error_details(message, &details);
    else
        gst_message_parse_warning_details(message, &details);
    if (details != nullptr)
        gst_structure_get_int(details, "pixora-error", &code);
    return code;
}

void Report(GstMessage* message, StreamCounts* counts) {
    GError* error = nullptr;
    const bool isError = GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR;
    if (isError)
        gst_message_parse_error(message, &error, nullptr);
    else
        gst_message_parse_warning(message, &error, nullptr);
    std::fprintf(stderr, "pixora: record: %s%s\n",
                 isError ? "" : "warning: ", error != nullptr ? error->message : "unknown failure");
    if (const int32_t code = LibraryCode(message))
        ++counts->errors[code];
    g_clear_error(&error);
}

std::string Size(GstElement* camera) {
    GstPad* pad = gst_element_get_static_pad(camera, "src");
    GstCaps* caps = gst_pad_query_caps(pad, nullptr);
    gst_object_unref(pad);
    int width = 0;
    int height = 0;
    if (!gst_caps_is_empty(caps)) {
        const GstStructure* s = gst_caps_get_structure(caps, 0);
        gst_structure_get_int(s, "width", &width);
        gst_structure_get_int(s, "height", &height);
    }
    gst_caps_unref(caps);
    return std::to_string(width) + " x " + std::to_string(height);
}

class Recording {
public:
    Recording(const RecordPlan& plan, GstElement* pipeline)
        : plan_(plan),
          pipeline_(pipeline),
          camera_(gst_bin_get_by_name(GST_BIN(pipeline), "camera")),
          bus_(gst_element_get_bus(pipeline)) {
        // The muxer writes beside the file, which is replaced only by a finished recording.
        GstElement* file = gst_bin_get_by_name(GST_BIN(pipeline), "file");
        g_object_set(file, "location", output_.Temporary().c_str(), nullptr);
        gst_object_unref(file);
        if (plan.seconds)
            tally_.length = static_cast<GstClockTime>(*plan.seconds * GST_SECOND);
        GstPad* pad = gst_element_get_static_pad(camera_.get(), "src");
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, CountFrame, &tally_, nullptr);
        gst_object_unref(pad);
    }

    ~Recording() { gst_element_set_state(pipeline_.get(), GST_STATE_NULL); }

    int Run(const std::string& label) {
        if (output_.Temporary().empty()) {
            std::fprintf(stderr, "pixora: record: %s\n", output_.Failure().c_str());
            return kExitFailure;
        }
        if (gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
            Drain();
            return kExitFailure;
        }
        std::printf("recording camera %d into %s: %s, %d bits per pixel, %s%s\n", plan_.device,
                    plan_.file.c_str(), Size(camera_.get()).c_str(), plan_.bits, label.c_str(),
                    plan_.seconds || plan_.frames ? "" : " (Ctrl-C stops)");
        StreamProgress progress(StdoutIsTerminal());
        int status = Loop(progress);
        gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
        // A finished recording (also one that Ctrl-C ended) takes the file's place; a failed
        // one leaves the file that was there.
        if (status != kExitFailure && !output_.Commit()) {
            std::fprintf(stderr, "pixora: record: %s\n", output_.Failure().c_str());
            status = kExitFailure;
        }
        counts_.delivered = tally_.frames.load();
        ReadStats(camera_.get(), &counts_);
        std::error_code error;
        const auto bytes = std::filesystem::file_size(plan_.file, error);
        progress.Summary(counts_,
                         "file=" + plan_.file + " bytes=" + std::to_string(error ? 0 : bytes));
        return status;
    }

private:
    // Messages up to the end of stream or an error; the end of stream is sent when the
    // recording is long enough or Ctrl-C came.
    int Loop(StreamProgress& progress) {
        bool ending = false;
        bool interruptedEarly = false;
        std::chrono::steady_clock::time_point endSent;
        for (;;) {
            if (GstMessage* message = gst_bus_timed_pop(bus_.get(), 100 * GST_MSECOND)) {
                const GstMessageType type = GST_MESSAGE_TYPE(message);
                if (type == GST_MESSAGE_ERROR || type == GST_MESSAGE_WARNING)
                    Report(message, &counts_);
                else if (type == GST_MESSAGE_LATENCY)
                    gst_bin_recalculate_latency(GST_BIN(pipeline_.get()));
                gst_message_unref(message);
                if (type == GST_MESSAGE_ERROR)
                    return kExitFailure;
                if (type == GST_MESSAGE_EOS)
                    break;
            }
            const bool longEnough = tally_.complete.load();
            if (!ending && (Interrupted() || longEnough)) {
                interruptedEarly = !longEnough && (plan_.seconds || plan_.frames);
                gst_element_send_event(pipeline_.get(), gst_event_new_eos());
                ending = true;
                endSent = std::chrono::steady_clock::now();
            }
            if (ending && std::chrono::steady_clock::now() - endSent > kFinishLimit) {
                std::fprintf(stderr, "pixora: record: '%s' was not finished in time\n",
                             plan_.file.c_str());
                return kExitFailure;
            }
            counts_.delivered = tally_.frames.load();
            ReadStats(camera_.get(), &counts_);
            progress.Update(counts_);
        }
        if (tally_.frames.load() == 0) {
            std::fprintf(stderr, "pixora: record: no frame was recorded\n");
            return kExitFailure;
        }
        return interruptedEarly ? InterruptedStatus() : kExitSuccess;
    }

    // The messages of a failed start.
    void Drain() {
        while (GstMessage* message = gst_bus_pop(bus_.get())) {
            if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR)
                Report(message, &counts_);
            gst_message_unref(message);
        }
    }

    const RecordPlan& plan_;
    ReplacedFile output_{plan_.file};
    Element pipeline_;
    Element camera_;
    Bus bus_;
    FrameTally tally_;
    StreamCounts counts_;
};

}  // namespace

int Record(const RecordPlan& plan) {
    GError* error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        std::fprintf(stderr, "pixora: record: GStreamer could not start: %s\n",
                     error != nullptr ? error->message : "unknown reason");
        g_clear_error(&error);
        return kExitFailure;
    }
    if (!pixora_gst_register_static()) {
        std::fprintf(stderr, "pixora: record: the pixorasrc element could not be registered\n");
        return kExitFailure;
    }
    // The element sends the library's log to GStreamer's; this program prints it.
    PrintLibraryLog();
    const RecordPipeline planned = PlanPipeline(plan);
    if (!planned.missing.empty()) {
        std::fprintf(stderr, "pixora: record: the GStreamer element %s is not installed\n",
                     planned.missing.c_str());
        return kExitFailure;
    }
    GstElement* pipeline = gst_parse_launch(planned.description.c_str(), &error);
    if (pipeline == nullptr || error != nullptr) {
        std::fprintf(stderr, "pixora: record: %s\n",
                     error != nullptr ? error->message : "no pipeline");
        g_clear_error(&error);
        if (pipeline != nullptr)
            gst_object_unref(pipeline);
        return kExitFailure;
    }
    return Recording(plan, pipeline).Run(planned.label);
}

}  // namespace pixora::cli

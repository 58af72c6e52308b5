#include "RecordPipeline.h"

#include <gst/gst.h>

#include "VideoFormats.h"

namespace pixora::cli {

namespace {

struct Stage {
    const char* element;
    const char* settings;
    const char* package;
    const char* input = "";  // caps the stage needs before it
};

// Real-time settings: the encoders keep up with the camera on two cores at the full window.
constexpr Stage kVp8 = {"vp8enc",
                        "deadline=1 cpu-used=8 threads=2 target-bitrate=8000000 "
                        "keyframe-max-dist=60",
                        "gstreamer1.0-plugins-good"};
// The H.264 encoder takes 4:2:0 pictures: from the camera's colours it would choose 4:4:4, a
// profile that few players decode.
constexpr Stage kH264 = {"x264enc", "speed-preset=ultrafast tune=zerolatency bitrate=8000",
                         "gstreamer1.0-plugins-ugly", "video/x-raw,format=I420"};
constexpr Stage kWebmMux = {"webmmux", "", "gstreamer1.0-plugins-good"};
constexpr Stage kMatroskaMux = {"matroskamux", "", "gstreamer1.0-plugins-good"};
constexpr Stage kConvert = {"videoconvert", "", "gstreamer1.0-plugins-base"};

bool Installed(const Stage& stage) {
    GstElementFactory* factory = gst_element_factory_find(stage.element);
    if (factory == nullptr)
        return false;
    gst_object_unref(factory);
    return true;
}

std::string Text(const Stage& stage) {
    return (stage.input[0] != '\0' ? std::string(stage.input) + " ! " : std::string()) +
           stage.element + (stage.settings[0] != '\0' ? " " : "") + stage.settings;
}

}  // namespace

RecordPipeline PlanPipeline(const RecordPlan& plan) {
    const bool webm = plan.container == Container::WebM;
    const Stage& encoder = !webm && Installed(kH264) ? kH264 : kVp8;
    const Stage& muxer = webm ? kWebmMux : kMatroskaMux;
    RecordPipeline pipeline;
    for (const Stage* stage : {&kConvert, &encoder, &muxer}) {
        if (!Installed(*stage)) {
            pipeline.missing =
                std::string(stage->element) + " (Debian package " + stage->package + ")";
            return pipeline;
        }
    }
    pipeline.label =
        std::string(&encoder == &kH264 ? "H.264" : "VP8") + " in " + (webm ? "WebM" : "Matroska");
    const pixora::gst::VideoMode* mode = pixora::gst::ModeOfBits(plan.bits);
    // Frames wait for the encoder in the library's queue, which the element's buffers wrap
    // without a copy; when it is full the oldest is dropped and counted. The element's
    // thread hands each on to a short queue, so that converting and encoding run in a thread
    // of their own and a Ctrl-C's end of stream still reaches the frames handed on.
    std::string camera = "pixorasrc name=camera device=" + std::to_string(plan.device) +
                         " timeout=5000 queue-size=" + std::to_string(plan.buffers);
    if (plan.frames)
        camera += " num-buffers=" + std::to_string(*plan.frames);
    pipeline.description =
        camera + " ! video/x-raw,format=" + gst_video_format_to_string(mode->format) +
        " ! queue max-size-buffers=3 max-size-bytes=0 max-size-time=0 ! " + Text(kConvert) + " ! " +
        Text(encoder) + " ! " + Text(muxer) + " ! filesink name=file";
    return pipeline;
}

}  // namespace pixora::cli

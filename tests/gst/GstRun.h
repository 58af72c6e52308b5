// The GStreamer programs as a user runs them against the built plugin: gst-launch-1.0,
// gst-inspect-1.0, gst-discoverer-1.0 and pixora record, in a scratch folder with the virtual
// camera (tests/cli/PixoraRun.h).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "PixoraRun.h"

namespace pixora::test {

class GstPipeline : public ::testing::Test {
protected:
    // The programs find the plugin in the build tree and only the plugins the tests use
    // (links in the build tree), and keep their plugin list beside them.
    GstPipeline() {
        setenv("GST_PLUGIN_PATH", PIXORA_GST_PLUGIN_DIR, 1);
        setenv("GST_PLUGIN_SYSTEM_PATH", PIXORA_GST_SYSTEM_PLUGIN_DIR, 1);
        setenv("GST_REGISTRY", PIXORA_GST_REGISTRY, 1);
        fixture_.Simulate("cameras=0 fps=30 scene=bars");
    }

    // gst-launch-1.0 -q WORDS... in the scratch folder.
    PixoraResult Launch(const std::vector<std::string>& words) const {
        std::vector<std::string> args = {"-q"};
        args.insert(args.end(), words.begin(), words.end());
        return fixture_.RunProgram(PIXORA_GST_LAUNCH, args);
    }

    // What gst-discoverer-1.0 finds in FILE of the scratch folder.
    struct Discovered {
        bool ok = false;
        double seconds = -1;
        int width = 0;
        int height = 0;
        double framesPerSecond = 0;  // the video stream's frame rate; 0 when none is stored
        std::string output;
    };
    Discovered Discover(const std::string& file) const;

    PixoraFixture fixture_;
};

// The eight colour bars of the "bars" scene, red, green, blue, left to right, as the camera
// shows them at the stored gain and exposure (white at about 200).
void ExpectBarColours(const std::vector<uint8_t>& rgbRow, int channels);

}  // namespace pixora::test

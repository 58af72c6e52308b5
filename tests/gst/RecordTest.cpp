// pixora record: files that GStreamer's discoverer reads back with their size and length.
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>

#include "GstRun.h"

namespace pixora::test {
namespace {

using Record = GstPipeline;

TEST_F(Record, WebmAndMatroskaFilesHaveTheWindowSizeAndTheLengthAskedFor) {
    fixture_.Simulate("cameras=0 fps=20 scene=bars");
    PixoraResult run = fixture_.Run({"record", "clip.webm", "--seconds", "2"});
    ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("VP8 in WebM"), std::string::npos) << run.out;
    // A busy machine encodes fewer of the camera's frames; the length stays.
    EXPECT_GE(SummaryValue(run.out, "frames"), 5);
    EXPECT_GT(SummaryValue(run.out, "bytes"), 0);
    Discovered found = Discover("clip.webm");
    ASSERT_TRUE(found.ok) << found.output;
    EXPECT_EQ(found.width, 1360);
    EXPECT_EQ(found.height, 1024);
    // Frames the encoder could not take on a busy machine are dropped, the last ones too;
    // none that starts past the length asked for gets in, and the last lasts one frame of
    // the camera's measured rate (50 ms, a little more when measured on a busy machine).
    EXPECT_GT(found.seconds, 1.2) << found.output << run.out;
    EXPECT_LE(found.seconds, 2.06) << found.output << run.out;

    // 20 frames of the camera's 20 a second, in 8-bit gray this time: at least the second
    // they took (more when the encoder could not keep up and frames were dropped).
    run = fixture_.Run({"record", "clip.mkv", "--frames", "20", "--bits", "8", "--buffers", "4"});
    ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_EQ(SummaryValue(run.out, "frames"), 20);
    found = Discover("clip.mkv");
    ASSERT_TRUE(found.ok) << found.output;
    EXPECT_EQ(found.width, 1360);
    // The file keeps the rate the camera's frames came at (20 a second, fewer while a busy
    // machine slows the virtual camera down), not "no rate".
    EXPECT_GT(found.framesPerSecond, 5.0) << found.output;
    EXPECT_LT(found.framesPerSecond, 21.0) << found.output;
    EXPECT_GT(found.seconds, 0.9) << found.output;
    EXPECT_LT(found.seconds, 20.0) << found.output;
}

TEST_F(Record, CtrlCFinishesAFileThatPlays) {
    fixture_.Simulate("cameras=0 fps=20 scene=moving");
    std::unique_ptr<PixoraProcess> recording = fixture_.Start({"record", "stopped.mkv"});
    ASSERT_TRUE(recording->WaitForFrames());
    std::this_thread::sleep_for(std::chrono::seconds(1));
    double seconds = 0;
    const PixoraResult run = SignalAndWait(*recording, SIGINT, &seconds);
    EXPECT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_LT(seconds, 10.0);
    const Discovered found = Discover("stopped.mkv");
    ASSERT_TRUE(found.ok) << found.output;
    // Frames of the second before the Ctrl-C, a few only where a loaded machine encodes slowly.
    EXPECT_GT(found.seconds, 0.1) << found.output;
    EXPECT_EQ(found.height, 1024);
}

TEST_F(Record, RefusesWhatItCannotRecordAndReportsTheCamerasError) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"record", "clip.avi"},
          {"record", "clip.mkv", "--bits", "48"},
          {"record", "clip.mkv", "--seconds", "1", "--frames", "5"},
          {"record", "clip.mkv", "--buffers", "0"},
          {"record", "clip.mkv", "--buffers", "65"},
          {"record"}}) {
        EXPECT_EQ(fixture_.Run(args).exitStatus, 2) << args.size();
    }
    const PixoraResult run = fixture_.Run({"record", "absent.webm", "--device", "3"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find("error 2 (device not found"), std::string::npos) << run.err;
}

// The file is replaced whole or not at all: a recording that fails leaves the file that was
// there, one that ends replaces it, and neither leaves a temporary beside it.
TEST_F(Record, AFailedRecordingKeepsTheFileThatWasThereAndAFinishedOneReplacesIt) {
    const std::string old = "yesterday's recording";
    const auto writeOld = [&] {
        std::ofstream out(fixture_.File("kept.mkv"), std::ios::binary | std::ios::trunc);
        out << old;
    };
    const auto entries = [&] {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(fixture_.Scratch().Path())) {
            // Beside the settings and what each run of the program printed.
            const std::string name = entry.path().filename().string();
            if (name.rfind("registry.reg", 0) != 0 && name.rfind("run", 0) != 0)
                names.insert(name);
        }
        return names;
    };
    writeOld();
    fixture_.Simulate("cameras=0 fps=20 scene=bars");
    PixoraResult run = fixture_.Run({"record", "kept.mkv", "--device", "3"});
    EXPECT_EQ(run.exitStatus, 1) << run.out << run.err;
    EXPECT_EQ(ReadFile(fixture_.File("kept.mkv")), old);
    EXPECT_EQ(entries(), std::set<std::string>{"kept.mkv"});

    run = fixture_.Run({"record", "kept.mkv", "--frames", "5"});
    ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_NE(ReadFile(fixture_.File("kept.mkv")), old);
    EXPECT_TRUE(Discover("kept.mkv").ok);
    EXPECT_EQ(entries(), std::set<std::string>{"kept.mkv"});
}

}  // namespace
}  // namespace pixora::test

#include "GstRun.h"

#include <cstdio>
#include <cstdlib>
#include <regex>

namespace pixora::test {

namespace {

// Colours of the eight bars of the "bars" scene, left to right (red, green, blue).
constexpr uint8_t kBars[8][3] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                                 {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};

}  // namespace

GstPipeline::Discovered GstPipeline::Discover(const std::string& file) const {
    Discovered found;
    const PixoraResult run = fixture_.RunProgram(PIXORA_GST_DISCOVERER, {fixture_.File(file)});
    found.output = run.out + run.err;
    found.ok = run.exitStatus == 0;
    std::smatch match;
    if (std::regex_search(found.output, match, std::regex(R"(Duration: (\d+):(\d+):(\d+\.\d+))"))) {
        found.seconds = std::stod(match[1]) * 3600 + std::stod(match[2]) * 60 + std::stod(match[3]);
    }
    if (std::regex_search(found.output, match, std::regex(R"(Width: (\d+))")))
        found.width = std::stoi(match[1]);
    if (std::regex_search(found.output, match, std::regex(R"(Height: (\d+))")))
        found.height = std::stoi(match[1]);
    if (std::regex_search(found.output, match, std::regex(R"(Frame rate: (\d+)/(\d+))")) &&
        std::stod(match[2]) > 0)
        found.framesPerSecond = std::stod(match[1]) / std::stod(match[2]);
    return found;
}

void ExpectBarColours(const std::vector<uint8_t>& rgbRow, int channels) {
    for (int bar = 0; bar < 8; ++bar) {
        const size_t at = static_cast<size_t>(bar * 170 + 85) * channels;
        ASSERT_LT(at + 2, rgbRow.size());
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(rgbRow[at + c], kBars[bar][c] * 200 / 255, 30)
                << "bar " << bar << " channel " << c;
        }
    }
}

}  // namespace pixora::test

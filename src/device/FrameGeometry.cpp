#include "device/FrameGeometry.h"

#include "device/DeviceResult.h"

namespace pixora {

int32_t CheckFrameGeometry(int32_t pitch, int32_t column, int32_t width, int32_t totalLines,
                           int32_t line, int32_t height) {
    if (pitch <= 0 || width <= 0 || column < 0 ||
        static_cast<int64_t>(pitch) < static_cast<int64_t>(column) + width) {
        return kDevBadHorizontal;
    }
    if (totalLines <= 0 || height <= 0 || line < 0 ||
        static_cast<int64_t>(totalLines) < static_cast<int64_t>(line) + height) {
        return kDevBadVertical;
    }
    return kDevOk;
}

int64_t TransferSamplesFor(int32_t pitch, int32_t line, int32_t height) {
    const int64_t samples = static_cast<int64_t>(pitch) * (static_cast<int64_t>(line) + height);
    return (samples + 1023) / 1024 * 1024;
}

bool WindowFitsFrame(const FrameGeometry& g, int64_t frameSamples) {
    if (g.pitch <= 0 || g.activeWidth <= 0 || g.activeHeight <= 0 || g.activeColumn < 0 ||
        g.activeLine < 0 || static_cast<int64_t>(g.activeColumn) + g.activeWidth > g.pitch) {
        return false;
    }
    const int64_t lastLine = static_cast<int64_t>(g.activeLine) + g.activeHeight - 1;
    const int64_t end = lastLine * g.pitch + g.activeColumn + g.activeWidth;
    return end <= frameSamples;
}

}  // namespace pixora

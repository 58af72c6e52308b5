// pixora stream through the callback preview: the newest frame with a message each, kept by
// the library, so that every Nth can be saved with Pixora_SaveImage in its formats.
#pragma once

#include <functional>

#include "Camera.h"
#include "StreamPlan.h"

namespace pixora::cli {

// Streams until the plan's end, Ctrl-C or a camera failure, saving every plan.saveEvery-th
// frame; `firstFrame` runs once the first frame came. Prints the start line and summary.
StreamOutcome CallbackStream(Camera& camera, const StreamPlan& plan,
                             const std::function<void()>& firstFrame);

}  // namespace pixora::cli

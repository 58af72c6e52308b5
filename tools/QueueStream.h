// pixora stream through the library's frame queue: every frame the queue holds is counted
// and given back at once; raw mosaics can be saved as PGM on the way.
#pragma once

#include <functional>

#include "Camera.h"
#include "StreamPlan.h"

namespace pixora::cli {

// Streams until the plan's end, Ctrl-C or a camera failure; `firstFrame` runs once the
// first frame came. Prints the start line; failures to start are reported and leave
// `outcome.failed` set with no frame.
StreamOutcome StreamFromQueue(Camera& camera, const StreamPlan& plan,
                              const std::function<void()>& firstFrame);

}  // namespace pixora::cli

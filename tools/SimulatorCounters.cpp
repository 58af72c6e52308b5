#include "SimulatorCounters.h"

#include "PixoraPlatform.h"

namespace pixora::cli {

SimulatorCounters ReadSimulatorCounters(int32_t index) {
    PixoraSimStatus status{};
    status.size = sizeof status;
    if (PixoraSim_GetStatus(index, &status) != 1)
        return {};
    return {status.framesSent, status.framesFailed};
}

}  // namespace pixora::cli

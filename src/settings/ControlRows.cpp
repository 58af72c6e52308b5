// The controls the library publishes: the camera's rows. A test build links a file of its
// own in place of this one to publish more.
#include "settings/ControlRows.h"

namespace pixora {

std::span<const ControlRow> Controls() {
    return kCameraControls;
}

}  // namespace pixora

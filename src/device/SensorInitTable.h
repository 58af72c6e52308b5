// The fixed register sequence that programs the sensor and its timing logic after a camera
// has been opened.
#pragma once

#include <cstdint>
#include <vector>

namespace pixora {

class PixoraDevice;

struct RegisterWrite {
    uint32_t reg;
    uint32_t value;
};

// The 932 register writes of the sequence, in the order they are sent.
std::vector<RegisterWrite> SensorInitWrites();

// Sends the initialise command and then every write of SensorInitWrites. No result is
// examined: without a camera every write fails and the register cache keeps nothing.
void SensorInitTable(PixoraDevice& device);

}  // namespace pixora

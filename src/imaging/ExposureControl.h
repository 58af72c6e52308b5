// What the automatic iris needs of the camera: the gain and exposure ranges and setters.
// The camera session implements it over its device.
#pragma once

#include <cstdint>

namespace pixora {

class ExposureControl {
public:
    virtual ~ExposureControl() = default;

    // False while the session has no open camera: the automatic iris then does nothing.
    virtual bool IsOpen() const = 0;
    virtual int32_t GainMin() const = 0;
    virtual int32_t GainMax() const = 0;
    // Results are ignored by the automatic iris.
    virtual bool SetGain(int32_t gain) = 0;
    virtual int32_t ExposureMin() const = 0;
    virtual int32_t ExposureMax() const = 0;
    virtual bool SetExposure(int32_t exposure) = 0;
};

}  // namespace pixora

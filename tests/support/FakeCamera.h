// Test doubles for the chain's camera and dialog interfaces.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "imaging/AutoIris.h"
#include "imaging/DialogRefresh.h"
#include "imaging/ExposureControl.h"

namespace pixora::test {

// Brings the process-wide automatic-iris counter to the point where the next frame is the
// measured one.
inline void SyncExposureCounter() {
    for (int i = 0; i < 3; ++i) {
        if (AdvanceExposureFrameCounter()) {
            return;
        }
    }
    ADD_FAILURE() << "the automatic-iris counter never came round";
}

// An open camera with the device's ranges that accepts every value and keeps nothing, so a
// streaming thread may call it while the test looks elsewhere.
class RangeCamera : public ExposureControl {
public:
    bool IsOpen() const override { return true; }
    int32_t GainMin() const override { return 0; }
    int32_t GainMax() const override { return 1023; }
    bool SetGain(int32_t) override { return true; }
    int32_t ExposureMin() const override { return 8; }
    int32_t ExposureMax() const override { return 1068; }
    bool SetExposure(int32_t) override { return true; }
};

// The same camera remembering what it was sent; for one thread only.
class FakeCamera : public RangeCamera {
public:
    bool open = true;
    int32_t gain = 0;
    int32_t exposure = 0;
    std::vector<int32_t> gainsSent;
    std::vector<int32_t> exposuresSent;

    bool IsOpen() const override { return open; }
    bool SetGain(int32_t value) override {
        gainsSent.push_back(value);
        gain = value;
        return true;
    }
    bool SetExposure(int32_t value) override {
        exposuresSent.push_back(value);
        exposure = value;
        return true;
    }
};

class MockDialogs : public DialogRefresh {
public:
    MOCK_METHOD(void, RefreshImageSettings, (), (override));
    MOCK_METHOD(void, ShowAnalogValue, (AnalogField field, int32_t value), (override));
};

}  // namespace pixora::test

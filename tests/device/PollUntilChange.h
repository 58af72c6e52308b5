// A stream polled the way an application polls it, with a bound.
#pragma once

#include <cstdint>

#include "device/PixoraDevice.h"
#include "platform/Clock.h"

namespace pixora::test {

// Polls `device` until the stream reports something other than "no new frame", for at most
// about four seconds; kPollNoNewFrame when nothing changed.
inline int32_t PollUntilChange(PixoraDevice& device) {
    for (int i = 0; i < 4000; ++i) {
        const int32_t result = device.PollFrame();
        if (result != PixoraDevice::kPollNoNewFrame) {
            return result;
        }
        SleepMs(1);
    }
    return PixoraDevice::kPollNoNewFrame;
}

}  // namespace pixora::test

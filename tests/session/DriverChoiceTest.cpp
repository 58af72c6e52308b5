// The one place that picks the driver port: the virtual camera unless told otherwise, and
// a port that was asked for but cannot serve says why instead of falling back silently.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "session/DriverChoice.h"
#include "simulator/VirtualCameraBus.h"

namespace pixora {
namespace {

std::string Choice() {
    const char* value = std::getenv("PIXORA_DRIVER");
    return value != nullptr ? value : "";
}

TEST(DriverChoice, TheVirtualCameraServesUnlessAnotherDriverIsChosen) {
#ifdef _WIN32
    GTEST_SKIP() << "on Windows the kernel driver is the default (tests/win32)";
#endif
    if (Choice() != "" && Choice() != "virtual")
        GTEST_SKIP() << "PIXORA_DRIVER=" << Choice() << " in this run";
    EXPECT_EQ(&SystemDriverPort(), &VirtualCameraBus::Instance().Port());
    OpenResult opened = SystemDriverPort().Open("\\\\.\\Qvo530TZ-0");
    EXPECT_NE(opened.connection, nullptr);
}

TEST(DriverChoice, TheUsbDriverWithoutACameraSaysWhy) {
    // Run with PIXORA_DRIVER=usb (ctest entry session_driver_usb): no USB camera is
    // attached here, and the virtual camera is not asked instead.
    if (Choice() != "usb")
        GTEST_SKIP() << "PIXORA_DRIVER is not usb in this run";
    EXPECT_NE(&SystemDriverPort(), &VirtualCameraBus::Instance().Port());
    OpenResult opened = SystemDriverPort().Open("\\\\.\\Qvo530TZ-0");
    EXPECT_EQ(opened.connection, nullptr);
    EXPECT_FALSE(opened.detail.empty());
    EXPECT_EQ(VirtualCameraBus::Instance().Status(0)->counters.opens, 0u);
}

}  // namespace
}  // namespace pixora

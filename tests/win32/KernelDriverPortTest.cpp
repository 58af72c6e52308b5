// The kernel driver (CreateFileA, DeviceIoControl), its port, and the choice between it and
// the virtual camera. Wine has no camera driver, so the device paths do not open here.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"
#include "TempDir.h"
#include "driver/SystemPorts.h"
#include "driver/win32/KernelControlDriver.h"
#include "session/DriverChoice.h"
#include "simulator/VirtualCameraBus.h"

namespace pixora {
namespace {

TEST(KernelDriverPort, NoDriverMeansNoDeviceAtAnyPath) {
    ControlDriver& driver = KernelControlDriver();
    EXPECT_EQ(driver.Open(nullptr), nullptr);
    EXPECT_EQ(driver.Open(""), nullptr);
    DriverPort& port = *KernelDriverPort();
    for (int slot = 0; slot < 8; ++slot) {
        const std::string path = "\\\\.\\Qvo530TZ-" + std::to_string(slot);
        EXPECT_EQ(driver.Open(path.c_str()), nullptr) << path;
        EXPECT_EQ(port.Open(path.c_str()).connection, nullptr) << path;
    }
}

TEST(KernelDriverPort, RequestsOnNoHandleFailAndReportNothing) {
    ControlDriver& port = KernelControlDriver();
    uint8_t in[4] = {1, 2, 3, 4};
    uint8_t out[8] = {};
    uint32_t returned = 123;
    EXPECT_FALSE(port.Control(nullptr, 0x222000, in, sizeof in, out, sizeof out, &returned));
    EXPECT_EQ(returned, 0u);
    EXPECT_FALSE(port.Control(nullptr, 0x222000, in, sizeof in, out, sizeof out, nullptr));
    port.Close(nullptr);
}

TEST(KernelDriverPort, AnOpenHandleTakesRequestsAndCloses) {
    // Any file opens through CreateFileA; a control code it does not know is refused by
    // the system, and buffers the caller left out are refused before reaching it.
    test::TempDir dir;
    const std::string file = dir.File("device");
    HANDLE made = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(made, INVALID_HANDLE_VALUE);
    CloseHandle(made);

    ControlDriver& port = KernelControlDriver();
    DriverHandle handle = port.Open(file.c_str());
    ASSERT_NE(handle, nullptr);
    uint8_t out[8] = {};
    uint32_t returned = 99;
    EXPECT_FALSE(port.Control(handle, 0x222000, nullptr, 0, out, sizeof out, &returned));
    EXPECT_EQ(returned, 0u);
    returned = 99;
    EXPECT_FALSE(port.Control(handle, 0x222000, nullptr, 4, out, sizeof out, &returned));
    EXPECT_EQ(returned, 0u);
    EXPECT_FALSE(port.Control(handle, 0x222000, nullptr, 0, nullptr, 8, &returned));
    port.Close(handle);
    // Closed: the file can be deleted, which an open handle without sharing would prevent.
    EXPECT_TRUE(DeleteFileA(file.c_str()));
}

TEST(SystemDriverPort, PixoraDriverVirtualSelectsTheVirtualCamera) {
    // The suites run with PIXORA_DRIVER=virtual (scripts/test-windows, ctest).
    const char* choice = std::getenv("PIXORA_DRIVER");
    if (choice == nullptr || std::string(choice) != "virtual")
        GTEST_SKIP() << "PIXORA_DRIVER is not virtual in this run";
    EXPECT_EQ(&SystemDriverPort(), &VirtualCameraBus::Instance().Port());
    EXPECT_NE(SystemDriverPort().Open("\\\\.\\Qvo530TZ-0").connection, nullptr);
}

TEST(SystemDriverPort, WithoutPixoraDriverTheKernelDriverServes) {
    // Run on its own with PIXORA_DRIVER unset (ctest entry win32_kernel_driver): the
    // choice is made once per process.
    if (std::getenv("PIXORA_DRIVER") != nullptr)
        GTEST_SKIP() << "PIXORA_DRIVER is set in this run";
    EXPECT_EQ(&SystemDriverPort(), KernelDriverPort());
    // No driver under Wine: the session finds no camera and says so, and the virtual
    // camera, which would have one in slot 0, is never asked.
    PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(Pixora_Capture(camera), 0);
    EXPECT_NE(Pixora_GetLastError(camera), PIXORA_ERR_NONE);
    EXPECT_EQ(PixoraSim_CommandsReceived(0, -1), 0);
    EXPECT_EQ(Pixora_Release(camera), 1);
}

}  // namespace
}  // namespace pixora

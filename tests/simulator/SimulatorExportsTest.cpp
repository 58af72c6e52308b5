// The PixoraSim_* functions, as an application's tests use them.
#include <gtest/gtest.h>

#include <cmath>

#include "PixoraPlatform.h"
#include "WireClient.h"
#include "simulator/VirtualCameraBus.h"

namespace pixora {
namespace {

using test::MakeBlock;
using test::WireClient;

class SimulatorExports : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(PixoraSim_Reset(), 1);
        ASSERT_EQ(PixoraSim_Configure("fps=0"), 1);
    }
    void TearDown() override { PixoraSim_Reset(); }

    static PixoraSimStatus Status(int32_t index) {
        PixoraSimStatus status{};
        status.size = sizeof status;
        EXPECT_EQ(PixoraSim_GetStatus(index, &status), 1);
        return status;
    }
};

TEST_F(SimulatorExports, ConfigureRefusesBadTextAndChangesNothing) {
    EXPECT_EQ(PixoraSim_Configure(nullptr), 0);
    EXPECT_EQ(PixoraSim_Configure("cameras=1,2 scene=fog"), 0);
    EXPECT_EQ(PixoraSim_GetCameras(), 1);
    EXPECT_EQ(PixoraSim_Configure("cameras=1,2 scene=gradient"), 1);
    EXPECT_EQ(PixoraSim_GetCameras(), 6);
    EXPECT_EQ(Status(2).scene, PIXORA_SIM_SCENE_GRADIENT);
}

TEST_F(SimulatorExports, CamerasAreABitMask) {
    EXPECT_EQ(PixoraSim_SetCameras(0x81), 1);
    EXPECT_EQ(PixoraSim_GetCameras(), 0x81);
    EXPECT_EQ(PixoraSim_SetCameras(0x100), 0);
    EXPECT_EQ(PixoraSim_GetCameras(), 0x81);
    EXPECT_EQ(PixoraSim_Trigger(7), 1);
    EXPECT_EQ(PixoraSim_Trigger(1), 0);
    EXPECT_EQ(PixoraSim_SetCameras(0), 1);
    EXPECT_EQ(VirtualCameraBus::Instance().Open(test::DevicePath(0).c_str()), nullptr);
}

TEST_F(SimulatorExports, SettersCheckTheirArguments) {
    EXPECT_EQ(PixoraSim_SetFps(0, 12.5), 1);
    EXPECT_EQ(Status(0).fpsMilli, 12500);
    EXPECT_EQ(PixoraSim_SetFps(-1, 0), 1);
    EXPECT_EQ(PixoraSim_SetFps(8, 1), 0);
    EXPECT_EQ(PixoraSim_SetFps(0, -1), 0);
    EXPECT_EQ(PixoraSim_SetFps(0, std::nan("")), 0);
    EXPECT_EQ(PixoraSim_SetFps(0, 1e9), 0);
    EXPECT_EQ(PixoraSim_SetScene(0, PIXORA_SIM_SCENE_MOVING), 1);
    EXPECT_EQ(PixoraSim_SetScene(0, 3), 0);
    EXPECT_EQ(PixoraSim_SetScene(0, -1), 0);
    EXPECT_EQ(PixoraSim_SetScene(9, 0), 0);
    EXPECT_EQ(PixoraSim_SetFault(0, 9, 0), 0);
    EXPECT_EQ(PixoraSim_SetFault(0, -1, 0), 0);
    EXPECT_EQ(PixoraSim_SetFault(8, PIXORA_SIM_FAULT_STALL, 0), 0);
    EXPECT_EQ(PixoraSim_SetFault(-1, PIXORA_SIM_FAULT_STALL, 0), 1);
    EXPECT_EQ(Status(3).faults, 1 << PIXORA_SIM_FAULT_STALL);
    EXPECT_EQ(PixoraSim_SetFault(3, PIXORA_SIM_FAULT_NONE, 0), 1);
    EXPECT_EQ(Status(3).faults, 0);
    EXPECT_EQ(PixoraSim_ClearLog(8), 0);
    EXPECT_EQ(PixoraSim_ClearLog(-1), 1);
}

TEST_F(SimulatorExports, ReportsWhatTheLibrarySent) {
    {
        WireClient host(VirtualCameraBus::Instance(), 0);
        ASSERT_TRUE(host.SetGainAndExposure(656, 64));
        ASSERT_TRUE(host.Send(MakeBlock(10, {1})));
        ASSERT_TRUE(host.Send(MakeBlock(40, {1})));
        ASSERT_TRUE(host.SetTimeout(3000));
        ASSERT_EQ(PixoraSim_Trigger(0), 1);
        std::vector<uint8_t> frame;
        uint32_t returned = 0;
        ASSERT_TRUE(host.ReadFrame(frame, test::kFullFrame10, &returned));
        const PixoraSimStatus s = Status(0);
        EXPECT_EQ(s.present, 1);
        EXPECT_EQ(s.attached, 1);
        EXPECT_EQ(s.openHandles, 1);
        EXPECT_EQ(s.triggerMode, 1);
        EXPECT_EQ(s.sampleWidth, 1);
        EXPECT_EQ(s.gain, 656);
        EXPECT_EQ(s.exposure, 64);
        EXPECT_EQ(s.timeoutMs, 3000);
        EXPECT_EQ(s.transferSamples, static_cast<int32_t>(wire::kDefaultTransferSamples));
        EXPECT_EQ(s.framesSent, 1);
        EXPECT_EQ(s.commands, 6);
    }
    EXPECT_EQ(PixoraSim_FramesSent(0), 1);
    EXPECT_EQ(PixoraSim_FramesSent(8), -1);
    EXPECT_EQ(PixoraSim_CommandsReceived(0, 4), 4);
    EXPECT_EQ(PixoraSim_CommandsReceived(0, -1), 6);
    EXPECT_EQ(PixoraSim_CommandsReceived(0, 256), -1);
    EXPECT_EQ(PixoraSim_ReadRegister(0, 6), 656 & 0x3F);
    EXPECT_EQ(PixoraSim_ReadRegister(0, 7), 656 >> 6);
    EXPECT_EQ(PixoraSim_ReadRegister(0, 200), -1);
    EXPECT_EQ(PixoraSim_ReadRegister(0, 1024), -1);
    EXPECT_EQ(PixoraSim_ReadRegister(0, -3), -1);
    EXPECT_EQ(PixoraSim_ReadRegister(-1, 6), -1);
    EXPECT_EQ(PixoraSim_ClearLog(0), 1);
    EXPECT_EQ(PixoraSim_CommandsReceived(0, -1), 0);
    EXPECT_TRUE(VirtualCameraBus::Instance().Log(0).empty());
    EXPECT_EQ(Status(0).openHandles, 0);
}

TEST_F(SimulatorExports, StatusNeedsARecordOfTheRightSize) {
    PixoraSimStatus status{};
    EXPECT_EQ(PixoraSim_GetStatus(0, nullptr), 0);
    status.size = sizeof status - 4;
    EXPECT_EQ(PixoraSim_GetStatus(0, &status), 0);
    status.size = sizeof status;
    EXPECT_EQ(PixoraSim_GetStatus(8, &status), 0);
    EXPECT_EQ(PixoraSim_GetStatus(0, &status), 1);
    EXPECT_EQ(status.size, static_cast<int32_t>(sizeof status));
    EXPECT_EQ(status.timeoutMs, 3000);
}

TEST_F(SimulatorExports, ResetUndoesConfiguration) {
    ASSERT_EQ(PixoraSim_Configure("cameras=4 fault=stall:4 fps=3"), 1);
    ASSERT_EQ(PixoraSim_Reset(), 1);
    EXPECT_EQ(PixoraSim_GetCameras(), 1);
    EXPECT_EQ(Status(4).faults, 0);
}

}  // namespace
}  // namespace pixora

// The whole library on a 530TZ served over USB: exports, session, device, the USB port,
// libusb and usbdevfs, against the virtual camera answering a umockdev device's requests.
// Runs under umockdev-wrapper with PIXORA_DRIVER=usb (ctest entry usb_camera).
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "PixoraExtensions.h"
#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"
#include "TempDir.h"
#include "UsbTestbed.h"
#include "device/DeviceResult.h"
#include "device/PixoraDevice.h"
#include "driver/linux/usb/UsbDriverPort.h"
#include "session/CameraSession.h"
#include "session/CaptureMachine.h"
#include "simulator/VirtualCameraBus.h"

namespace pixora::test {
namespace {

constexpr uint16_t kVendor = 0xfff0;
constexpr uint16_t kProduct = 0x530a;
constexpr const char* kIds = "fff0:530a";
constexpr int kImageBytes = 1360 * 1024 * 8;  // enough for every colour mode

constexpr uint16_t kSwappedProduct = 0x530b;

// One test bed for the program, its devices added before the library's USB port starts
// (which lives as long as the process): two cameras of the configured model on ports 3 and
// 4, answered by virtual cameras 0 and 1; a device of another maker's on port 2; and on port
// 5 a model whose endpoints come IN, OUT, IN (pipes 1, 0, 2), answered by virtual camera 2.
UsbTestbed* testbed = nullptr;
TempDir* scratch = nullptr;
int cameraDevice = 0;
int secondDevice = 0;
int otherDevice = 0;
int swappedDevice = 0;

void WriteConfig(const std::string& text) {
    std::ofstream(std::getenv("PIXORA_USB_CONFIG")) << text;
}

class UsbEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        scratch = new TempDir;
        setenv("PIXORA_USB_CONFIG", scratch->File("usb.conf").c_str(), 1);
        setenv("PIXORA_REGISTRY", scratch->File("registry.reg").c_str(), 1);
        PixoraSim_Configure("cameras=0,1,2 fps=0 scene=bars");
        testbed = new UsbTestbed(VirtualCameraBus::Instance());
        UsbDeviceSpec camera;
        camera.vendor = kVendor;
        camera.product = kProduct;
        camera.address = 2;
        camera.ports = "3";
        cameraDevice = testbed->Add(camera);
        UsbDeviceSpec second = camera;
        second.camera = 1;
        second.address = 3;
        second.ports = "4";
        secondDevice = testbed->Add(second);
        UsbDeviceSpec other = camera;
        other.vendor = 0x1234;
        other.product = 0x0001;
        other.address = 4;
        other.ports = "2";
        otherDevice = testbed->Add(other);
        UsbDeviceSpec swapped = camera;
        swapped.camera = 2;
        swapped.product = kSwappedProduct;
        swapped.address = 5;
        swapped.ports = "5";
        swapped.endpoints = {{0x81, 2, 512, 1}, {0x02, 2, 512, 0}, {0x83, 2, 512, 2}};
        swappedDevice = testbed->Add(swapped);
    }
    void TearDown() override {
        // The library's USB port outlives the test bed and keeps the camera it used last
        // claimed for a second: its release, and whatever else it asks of the device, reaches
        // a test bed that is gone. The program stays past that second so that it always does.
        WriteConfig(std::string("camera ") + kIds + "\n");
        PixoraSim_SetFault(-1, PIXORA_SIM_FAULT_NONE, 0);
        PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
        EXPECT_NE(camera, nullptr);
        EXPECT_EQ(Pixora_Release(camera), 1);
        EXPECT_GT(testbed->Counts(cameraDevice).claims, testbed->Counts(cameraDevice).releases);
        delete testbed;
        testbed = nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    }
};

const ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new UsbEnvironment);

// The library keeps a camera claimed for a second after its last use: waits (boundedly)
// until it has let every claim of `device` go, as another program would find it.
void WaitUntilReleased(int device) {
    for (int i = 0; i < 500; ++i) {
        const UsbDeviceCounts counts = testbed->Counts(device);
        if (counts.releases >= counts.claims) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::string Detail(PIXORA_HANDLE camera) {
    char text[1024] = {};
    PixoraEx_GetFailureDetail(camera, text, sizeof text);
    return text;
}

class UsbCamera : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(std::string(std::getenv("PIXORA_DRIVER") ? std::getenv("PIXORA_DRIVER") : ""),
                  "usb");
        PixoraSim_SetFault(-1, PIXORA_SIM_FAULT_NONE, 0);
        PixoraSim_Configure("fps=0 scene=bars");
        PixoraSim_ClearLog(-1);
        WriteConfig(std::string("camera ") + kIds + "\n");
    }
    void TearDown() override {
        testbed->SetClaimRefused(cameraDevice, false);
        testbed->SetKernelDriver(cameraDevice, "");
        testbed->Replug(cameraDevice);
    }
};

TEST_F(UsbCamera, ConfiguredDevicesAreCamerasInBusAndPortOrderAndListingClaimsNone) {
    const int a = cameraDevice;
    const int b = secondDevice;
    const int c = otherDevice;
    const int claimsBefore[3] = {testbed->Counts(a).claims, testbed->Counts(b).claims,
                                 testbed->Counts(c).claims};
    PixoraUsbDevice found[8] = {};
    for (PixoraUsbDevice& d : found) {
        d.size = sizeof d;
    }
    char why[256] = {};
    ASSERT_EQ(PixoraEx_UsbListDevices(found, 8, why, sizeof why), 4) << why;
    int configured = 0;
    for (int i = 0; i < 4; ++i) {
        configured += found[i].configured;
        EXPECT_EQ(found[i].endpointCount, 3);
        EXPECT_EQ(found[i].endpoints[2].address, 0x83);
        if (found[i].configured) {
            EXPECT_EQ(found[i].cameraIndex, std::string(found[i].portPath) == "3" ? 0 : 1);
        }
    }
    EXPECT_EQ(configured, 2);

    PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
    ASSERT_NE(camera, nullptr);
    char names[PIXORA_DEVICE_NAME_COUNT * PIXORA_DEVICE_NAME_ENTRY] = {};
    EXPECT_EQ(Pixora_EnumDevice(camera, names), 2);
    EXPECT_STREQ(names, "Pixora530TZ_01");
    EXPECT_STREQ(names + PIXORA_DEVICE_NAME_ENTRY, "Pixora530TZ_02");
    // Camera 0 is the one on port 3; the others are listed without being claimed.
    EXPECT_GT(testbed->Counts(a).claims, claimsBefore[0]);
    EXPECT_EQ(testbed->Counts(b).claims, claimsBefore[1]);
    EXPECT_EQ(testbed->Counts(c).claims, claimsBefore[2]);
    EXPECT_GT(PixoraSim_CommandsReceived(0, -1), 0);
    EXPECT_EQ(PixoraSim_CommandsReceived(1, -1), 0);
    EXPECT_EQ(Pixora_SetDeviceNumber(camera, 1), 1);
    EXPECT_GT(PixoraSim_CommandsReceived(1, -1), 0);
    EXPECT_EQ(Pixora_Release(camera), 1);
}

// The same snapshot straight from a virtual camera with the same settings, through the
// same session code.
std::vector<uint8_t> DirectSnapshot(int bits) {
    VirtualCameraBus bus("fps=0 scene=bars");
    CameraSession session(bus.Port());
    EXPECT_EQ(session.Initialize(nullptr), 1);
    EXPECT_EQ(session.SetColorMode(bits), 1);
    std::vector<uint8_t> image(kImageBytes, 0);
    EXPECT_EQ(session.RequireCapture()->SnapShot(image.data(), kImageBytes, 0), 1);
    session.Release();
    return image;
}

TEST_F(UsbCamera, SnapshotsInEveryColourModeEqualTheVirtualCamerasOwn) {
    PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
    ASSERT_NE(camera, nullptr);
    for (int bits : {8, 16, 24, 32, 48, 64}) {
        ASSERT_EQ(Pixora_SetColorMode(camera, bits), 1);
        std::vector<uint8_t> image(kImageBytes, 0);
        ASSERT_EQ(Pixora_SnapShot(camera, image.data(), kImageBytes, 0), 1)
            << bits << ": " << Detail(camera);
        const std::vector<uint8_t> direct = DirectSnapshot(bits);
        EXPECT_TRUE(image == direct) << bits << " bits per pixel";
    }
    EXPECT_EQ(Pixora_Release(camera), 1);
}

// What the camera carried out, without the frame requests of a stream.
std::vector<DecodedCommand> Commands(VirtualCameraBus& bus, int index) {
    std::vector<DecodedCommand> commands;
    for (const DecodedCommand& c : bus.Commands(index)) {
        commands.push_back(c);
    }
    return commands;
}

TEST_F(UsbCamera, InitialisationAndRegisterWritesReachTheCameraInTheirOrder) {
    VirtualCameraBus& served = VirtualCameraBus::Instance();
    served.ClearLog();
    // Both sessions start from the same (default) settings.
    std::remove(std::getenv("PIXORA_REGISTRY"));
    PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
    ASSERT_NE(camera, nullptr);
    ASSERT_EQ(Pixora_WriteRegister(camera, 40, 5), 1);
    ASSERT_EQ(Pixora_SetGlobalGain(camera, 700), 1);
    EXPECT_EQ(Pixora_Release(camera), 1);
    const std::vector<DecodedCommand> overUsb = Commands(served, 0);

    VirtualCameraBus direct("fps=0");
    std::remove(std::getenv("PIXORA_REGISTRY"));
    {
        CameraSession session(direct.Port());
        ASSERT_EQ(session.Initialize(nullptr), 1);
        ASSERT_EQ(session.WriteRegister(40, 5), 1);
        ASSERT_EQ(session.SetFilterValue(/*GlobalGain*/ 13, 700), 1);
        session.Release();
    }
    const std::vector<DecodedCommand> straight = Commands(direct, 0);
    ASSERT_GT(straight.size(), 900u);  // the sensor set-up among them
    ASSERT_EQ(overUsb.size(), straight.size());
    for (size_t i = 0; i < straight.size(); ++i) {
        EXPECT_EQ(overUsb[i].number, straight[i].number) << i;
        EXPECT_EQ(overUsb[i].word, straight[i].word) << i;
        EXPECT_EQ(overUsb[i].bitCount, straight[i].bitCount) << i;
        EXPECT_EQ(overUsb[i].argument, straight[i].argument) << i;
    }
    EXPECT_EQ(PixoraSim_ReadRegister(0, 40), 5);
}

TEST_F(UsbCamera, AHundredStreamedFramesArriveWhole) {
    PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
    ASSERT_NE(camera, nullptr);
    ASSERT_EQ(Pixora_SetColorMode(camera, 8), 1);
    ASSERT_EQ(Pixora_StartPreview(camera), 1);
    uint64_t sequence = 0;
    int frames = 0;
    while (frames < 100 && PixoraEx_WaitFrame(camera, sequence, 10000) == 1) {
        PixoraFrameMeta meta{};
        meta.size = sizeof meta;
        ASSERT_EQ(PixoraEx_GetFrame(camera, nullptr, 0, 0, &meta), 1);
        EXPECT_GT(meta.sequence, sequence);
        sequence = meta.sequence;
        ++frames;
    }
    EXPECT_EQ(frames, 100) << Detail(camera);
    EXPECT_EQ(Pixora_StopPreview(camera), 1);
    PixoraFrameCounts counts{};
    counts.size = sizeof counts;
    ASSERT_EQ(PixoraEx_GetFrameCounts(camera, &counts), 1);
    EXPECT_EQ(counts.failed, 0u);
    EXPECT_EQ(Pixora_Release(camera), 1);
}

TEST_F(UsbCamera, ATriggerPulseDeliversOneFrame) {
    PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
    ASSERT_NE(camera, nullptr);
    ASSERT_EQ(PixoraEx_StartTrigger(camera), 1);
    PixoraSimStatus status{};
    status.size = sizeof status;
    // The pulse is kept once the camera is in trigger mode.
    for (int i = 0; i < 500 && !(PixoraSim_GetStatus(0, &status) && status.triggerMode); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(status.triggerMode);
    EXPECT_EQ(PixoraSim_Trigger(0), 1);
    EXPECT_EQ(PixoraEx_WaitFrame(camera, 0, 10000), 1) << Detail(camera);
    EXPECT_EQ(Pixora_StopPreview(camera), 1);
    EXPECT_EQ(Pixora_Release(camera), 1);
}

TEST_F(UsbCamera, TheTimeOutEndsAHungTransfer) {
    PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
    ASSERT_NE(camera, nullptr);
    ASSERT_EQ(PixoraEx_StartTrigger(camera), 1);  // sets the driver's time-out (3000 ms)
    // No pulse comes: the read in flight ends at the time-out, and the trigger mode with it.
    for (int i = 0; i < 1000 && PixoraEx_GetCaptureState(camera) == 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(PixoraEx_GetCaptureState(camera), 0);
    EXPECT_NE(Detail(camera).find("time-out of 3000 ms"), std::string::npos) << Detail(camera);
    EXPECT_EQ(Pixora_Release(camera), 1);
}

TEST_F(UsbCamera, TheTimeOutRequestSetsTheTimeOutOfLaterTransfers) {
    // The device layer straight on the USB port: the request reaches no wire, but every
    // later transfer of the camera, on any connection, ends at its time-out.
    PixoraDevice device(UsbDriverPort::Instance());
    ASSERT_TRUE(device.SetTrigger(1));
    device.SetTransferTimeout(250);
    EXPECT_EQ(device.CaptureFrame(), kDevTransferFailed);
    EXPECT_NE(device.LastDriverFailure().text.find("time-out of 250 ms"), std::string::npos)
        << device.LastDriverFailure().text;
    device.SetTransferTimeout(3000);
    ASSERT_TRUE(device.SetTrigger(0));
    EXPECT_EQ(device.CaptureFrame(), kDevOk) << device.LastDriverFailure().text;
}

TEST_F(UsbCamera, UnpluggedMidStreamTheStreamEndsAndPluggedBackTheCameraOpens) {
    PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
    ASSERT_NE(camera, nullptr);
    ASSERT_EQ(Pixora_SetColorMode(camera, 8), 1);
    ASSERT_EQ(PixoraSim_SetFps(0, 20), 1);
    ASSERT_EQ(Pixora_StartPreview(camera), 1);
    ASSERT_EQ(PixoraEx_WaitFrame(camera, 0, 10000), 1);
    testbed->Unplug(cameraDevice);
    // The reads in flight complete as the device goes: the stream ends with its failure.
    while (PixoraEx_WaitFrame(camera, ~0ull >> 1, 10000) == 1) {
    }
    EXPECT_EQ(Pixora_GetStatus(camera, 0), 0);
    EXPECT_NE(Detail(camera).find("unplugged"), std::string::npos) << Detail(camera);
    EXPECT_EQ(Pixora_Release(camera), 1);

    testbed->Replug(cameraDevice);
    camera = Pixora_Initialize(nullptr);
    ASSERT_NE(camera, nullptr);
    std::vector<uint8_t> image(kImageBytes);
    EXPECT_EQ(Pixora_SnapShot(camera, image.data(), kImageBytes, 0), 1) << Detail(camera);
    EXPECT_EQ(Pixora_Release(camera), 1);
}

TEST_F(UsbCamera, AShortFrameFailsTheSnapshot) {
    PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
    ASSERT_NE(camera, nullptr);
    ASSERT_EQ(PixoraSim_SetFault(0, PIXORA_SIM_FAULT_SHORT_FRAME, 4096), 1);
    std::vector<uint8_t> image(kImageBytes);
    EXPECT_EQ(Pixora_SnapShot(camera, image.data(), kImageBytes, 0), 0);
    EXPECT_NE(Detail(camera).find("4096 of"), std::string::npos) << Detail(camera);
    EXPECT_EQ(Pixora_Release(camera), 1);
}

TEST_F(UsbCamera, ACameraHeldElsewhereOrBoundToAKernelDriverIsRefusedWithTheFix) {
    const int device = cameraDevice;
    WaitUntilReleased(device);
    testbed->SetClaimRefused(device, true);
    PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
    ASSERT_NE(camera, nullptr);
    std::vector<uint8_t> image(kImageBytes);
    EXPECT_EQ(Pixora_SnapShot(camera, image.data(), kImageBytes, 0), 0);
    EXPECT_NE(Detail(camera).find("in use by another program"), std::string::npos)
        << Detail(camera);
    EXPECT_EQ(PixoraSim_CommandsReceived(0, -1), 0);
    testbed->SetClaimRefused(device, false);
    testbed->SetKernelDriver(device, "usbserial_generic");
    EXPECT_EQ(Pixora_SnapShot(camera, image.data(), kImageBytes, 0), 0);
    EXPECT_NE(Detail(camera).find("kernel driver is bound"), std::string::npos) << Detail(camera);
    EXPECT_EQ(Pixora_Release(camera), 1);
}

// Runs `pixora args...` with the USB driver and the test bed's preload, as user `uid` when
// it is not -1; returns what it wrote to standard error.
std::string RunPixora(const std::vector<std::string>& args, const std::string& folder, int uid) {
    int pipes[2];
    if (pipe(pipes) != 0)
        return "pipe failed";
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipes[1], 2);
        close(pipes[0]);
        setenv("PIXORA_USB_CONFIG", (folder + "/usb.conf").c_str(), 1);
        setenv("PIXORA_REGISTRY", (folder + "/registry.reg").c_str(), 1);
        setenv("HOME", folder.c_str(), 1);
        if (uid != -1 && (setgroups(0, nullptr) != 0 || setgid(static_cast<gid_t>(uid)) != 0 ||
                          setuid(static_cast<uid_t>(uid)) != 0))
            _exit(126);
        std::vector<char*> argv = {const_cast<char*>(PIXORA_CLI)};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(PIXORA_CLI, argv.data());
        _exit(127);
    }
    close(pipes[1]);
    std::string err;
    char buffer[512];
    for (ssize_t n; (n = read(pipes[0], buffer, sizeof buffer)) > 0;)
        err.append(buffer, static_cast<size_t>(n));
    close(pipes[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return err;
}

TEST_F(UsbCamera, WithoutPermissionTheReasonNamesTheUdevRule) {
    // The device node is not writable for the user who opens it: as root, pixora runs as
    // nobody (the test bed's files belong to root); otherwise the node is made read-only.
    const bool root = geteuid() == 0;
    const std::string node = testbed->RootDir() + testbed->DeviceNode(cameraDevice);
    char folderTemplate[] = "/tmp/pixora-usb-XXXXXX";
    ASSERT_NE(mkdtemp(folderTemplate), nullptr);
    const std::string folder = folderTemplate;
    std::ofstream(folder + "/usb.conf") << "camera " << kIds << "\n";
    chmod(folder.c_str(), 0777);
    chmod((folder + "/usb.conf").c_str(), 0644);
    // The test bed's sockets (udev's monitor among them) are opened to everybody meanwhile:
    // only the node itself is to refuse.
    std::vector<std::filesystem::path> sockets;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(testbed->RootDir())) {
        if (entry.is_socket())
            sockets.push_back(entry.path());
    }
    if (root) {
        chmod(testbed->RootDir().c_str(), 0777);  // udev's monitor makes its socket there
        for (const auto& socket : sockets)
            chmod(socket.c_str(), 0777);
    } else {
        chmod(node.c_str(), 0444);
    }
    const std::string err = RunPixora({"reg", "write", "40", "5"}, folder, root ? 65534 : -1);
    chmod(testbed->RootDir().c_str(), 0700);
    chmod(node.c_str(), 0644);
    for (const auto& socket : sockets)
        chmod(socket.c_str(), 0755);
    EXPECT_NE(err.find("no permission to open the camera fff0:530a"), std::string::npos) << err;
    EXPECT_NE(err.find("udev rule"), std::string::npos) << err;
    std::filesystem::remove_all(folder);
}

TEST_F(UsbCamera, EndpointsThatDoNotFitAreRefusedUntilTheMapSaysWhichServesWhat) {
    WriteConfig("camera fff0:530b\n");
    PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
    ASSERT_NE(camera, nullptr);
    std::vector<uint8_t> image(kImageBytes);
    EXPECT_EQ(Pixora_SnapShot(camera, image.data(), kImageBytes, 0), 0);
    const std::string refused = Detail(camera);
    EXPECT_NE(refused.find("81 IN bulk 512"), std::string::npos) << refused;
    EXPECT_NE(refused.find("--endpoints"), std::string::npos) << refused;
    EXPECT_EQ(Pixora_Release(camera), 1);

    WriteConfig("camera fff0:530b endpoints 02,81,83\n");
    camera = Pixora_Initialize(nullptr);
    ASSERT_NE(camera, nullptr);
    ASSERT_EQ(Pixora_SetColorMode(camera, 24), 1);
    EXPECT_EQ(Pixora_SnapShot(camera, image.data(), kImageBytes, 0), 1) << Detail(camera);
    image.resize(1360 * 1024 * 3);
    std::vector<uint8_t> direct = DirectSnapshot(24);
    direct.resize(image.size());
    EXPECT_TRUE(image == direct);
    EXPECT_EQ(Pixora_Release(camera), 1);
}

TEST_F(UsbCamera, WithoutConfiguredCamerasTheReasonNamesTheCommands) {
    WriteConfig("");
    PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
    ASSERT_NE(camera, nullptr);
    char names[PIXORA_DEVICE_NAME_COUNT * PIXORA_DEVICE_NAME_ENTRY] = {};
    EXPECT_EQ(Pixora_EnumDevice(camera, names), 0);
    const std::string why = Detail(camera);
    EXPECT_NE(why.find("pixora usb list"), std::string::npos) << why;
    EXPECT_NE(why.find("pixora usb use"), std::string::npos) << why;
    EXPECT_EQ(Pixora_Release(camera), 1);
}

}  // namespace
}  // namespace pixora::test

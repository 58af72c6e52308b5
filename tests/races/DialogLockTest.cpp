// An open property dialog does not hold the session: the application's other threads call
// in while the user edits, and a release from another thread ends the session under it.
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "RaceFixture.h"
#include "dialogs/DialogTemplates.h"
#include "dialogs/host/DialogHosts.h"
#include "dialogs/host/HeadlessDialogHost.h"
#include "dialogs/host/HeadlessWindow.h"

namespace pixora::test {
namespace {

using DialogExport = std::function<int32_t(PIXORA_HANDLE)>;

class DialogLock : public RaceTest {
protected:
    void SetUp() override {
        RaceTest::SetUp();
        SetDialogTestHost(&host_);
        camera_ = Open();
    }
    void TearDown() override {
        SetDialogTestHost(nullptr);
        if (camera_ != nullptr) {
            EXPECT_EQ(Bounded("Pixora_Release", [this] { return Pixora_Release(camera_); }), 1);
        }
        RaceTest::TearDown();
    }

    // Runs `call` on another thread while the dialog is open; true when it came back within
    // two seconds (it would wait for the dialog to close if the dialog held the session). A
    // call that did not come back is left to finish after the dialog; it owns what it uses.
    static bool AnswersWhileOpen(std::function<void()> call) {
        auto done = std::make_shared<std::atomic<bool>>(false);
        std::thread other([call = std::move(call), done] {
            call();
            done->store(true);
        });
        for (int i = 0; i < 200 && !done->load(); ++i)
            Pause(10);
        const bool answered = done->load();
        if (answered)
            other.join();
        else
            other.detach();
        return answered;
    }

    const std::vector<std::pair<const char*, DialogExport>> dialogs_ = {
        {"camera", [](PIXORA_HANDLE c) { return Pixora_SetCameraDlg(c, nullptr); }},
        {"image", [](PIXORA_HANDLE c) { return Pixora_SetImageDlg(c, nullptr); }},
        {"analog", [](PIXORA_HANDLE c) { return Pixora_SetAnalogDlg(c, nullptr); }},
    };
    HeadlessDialogHost host_;
    PIXORA_HANDLE camera_ = nullptr;
};

TEST_F(DialogLock, OtherThreadsCallInWhileEachDialogIsOpen) {
    std::vector<uint8_t> buffer = FrameBuffer();
    for (const auto& [name, show] : dialogs_) {
        ASSERT_EQ(Pixora_CallBackPreview(camera_, frames_, buffer.data(),
                                         static_cast<int32_t>(buffer.size()), 1),
                  1);
        bool answered = false;
        host_.SetScript([&](HeadlessDialog& dialog) {
            answered = AnswersWhileOpen([camera = camera_, copy = FrameBuffer()]() mutable {
                Pixora_GetImage(camera, copy.data(), static_cast<int32_t>(copy.size()), 1);
                Pixora_SetContrast(camera, 12);
                Pixora_GetContrast(camera, nullptr);
            });
            dialog.Cancel();
        });
        EXPECT_EQ(show(camera_), 1) << name;
        EXPECT_TRUE(answered) << name;
        EXPECT_EQ(Pixora_StopPreview(camera_), 1);
    }
}

TEST_F(DialogLock, AReleaseFromAnotherThreadEndsTheSessionUnderAnOpenDialog) {
    for (const auto& [name, show] : dialogs_) {
        ASSERT_EQ(Pixora_CallBackPreview(camera_, frames_, nullptr, 0, 1), 1);
        bool released = false;
        host_.SetScript([&](HeadlessDialog& dialog) {
            released = AnswersWhileOpen([camera = camera_] { Pixora_Release(camera); });
            EXPECT_EQ(Status().openHandles, 0) << name;
            // The user goes on editing a dialog whose camera is gone.
            if (HeadlessWindow* page = dialog.Page(0))
                page->Slide(kIdGainTrackbar, 300);
            dialog.Ok();
        });
        EXPECT_EQ(show(camera_), 0) << name;
        EXPECT_TRUE(released) << name;
        EXPECT_EQ(Pixora_GetColorMode(camera_), -1);
        camera_ = Open();
    }
}

}  // namespace
}  // namespace pixora::test

// What the dialog suites share: a scratch registry, the headless host installed for the
// test, and sessions reduced to what the dialogs need of them.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ScopedRegistry.h"
#include "dialogs/PropertyDialogs.h"
#include "dialogs/host/DialogHosts.h"
#include "dialogs/host/HeadlessDialogHost.h"
#include "settings/SettingsRecords.h"

namespace pixora::test {

// The headless host installed for the lifetime of the object, with a fresh registry.
class HeadlessDialogs {
public:
    HeadlessDialogs() { SetDialogTestHost(&host_); }
    ~HeadlessDialogs() { SetDialogTestHost(nullptr); }

    // The user's actions for every dialog opened from now on.
    void Play(HeadlessDialogHost::Script script) { host_.SetScript(std::move(script)); }
    HeadlessDialogHost& Host() { return host_; }
    ScopedRegistry& Registry() { return registry_; }

private:
    ScopedRegistry registry_;
    HeadlessDialogHost host_;
};

// The dialogs' language for the lifetime of the object, through the locale variables.
class ScopedLanguage {
public:
    explicit ScopedLanguage(const char* locale);
    ~ScopedLanguage();
    ScopedLanguage(const ScopedLanguage&) = delete;
    ScopedLanguage& operator=(const ScopedLanguage&) = delete;

private:
    struct Saved {
        const char* name;
        bool set;
        std::string value;
    };
    std::vector<Saved> saved_;
};

// No display for the lifetime of the object.
class ScopedNoDisplay {
public:
    ScopedNoDisplay();
    ~ScopedNoDisplay();
    ScopedNoDisplay(const ScopedNoDisplay&) = delete;
    ScopedNoDisplay& operator=(const ScopedNoDisplay&) = delete;

private:
    bool set_ = false;
    std::string value_;
};

// A published refresh target, as a session keeps it.
class PublishedDialog {
public:
    void Publish(std::shared_ptr<DialogRefresh> dialog);
    std::shared_ptr<DialogRefresh> Get() const;
    int32_t Publications() const { return publications_.load(); }

private:
    mutable std::mutex mutex_;
    std::shared_ptr<DialogRefresh> dialog_;
    std::atomic<int32_t> publications_{0};
};

class FakeImageSession final : public ImageDialogContext {
public:
    explicit FakeImageSession(int32_t colorMode);

    FilterSettings& Filter() override { return filter; }
    int32_t ColorModeIndex() const override { return colorMode; }
    void PublishImageDialog(std::shared_ptr<DialogRefresh> dialog) override {
        published.Publish(std::move(dialog));
    }

    FilterSettings filter;
    int32_t colorMode;
    PublishedDialog published;
};

class FakeAnalogSession final : public AnalogDialogContext {
public:
    FakeAnalogSession();

    AnalogSettings& Analog() override { return analog; }
    FilterSettings& Filter() override { return filter; }
    int32_t GainMin() const override { return 0; }
    int32_t GainMax() const override { return 1023; }
    int32_t ExposureMin() const override { return 8; }
    int32_t ExposureMax() const override { return 1068; }
    void SetGain(int32_t gain) override;
    void SetExposure(int32_t exposure) override;
    void PublishAnalogDialog(std::shared_ptr<DialogRefresh> dialog) override {
        published.Publish(std::move(dialog));
    }

    // Every value sent to the camera, in order.
    std::vector<int32_t> Gains() const;
    std::vector<int32_t> Exposures() const;
    // The thread that sent the last gain (none before the first).
    std::thread::id GainThread() const;

    AnalogSettings analog;
    FilterSettings filter;
    PublishedDialog published;

private:
    mutable std::mutex mutex_;
    std::vector<int32_t> gains_;
    std::vector<int32_t> exposures_;
    std::thread::id gainThread_;
};

// The session defaults of a first run: the picture and analog settings after their load
// from an empty registry.
void SetFilterDefaults(FilterSettings& filter);

}  // namespace pixora::test

#include "DialogTestSupport.h"

#include <cstdlib>

#include "settings/SettingsPersistence.h"

namespace pixora::test {

ScopedLanguage::ScopedLanguage(const char* locale) {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        saved_.push_back({name, value != nullptr, value != nullptr ? value : ""});
        unsetenv(name);
    }
    setenv("LC_ALL", locale, 1);
}

ScopedLanguage::~ScopedLanguage() {
    for (const Saved& s : saved_) {
        if (s.set)
            setenv(s.name, s.value.c_str(), 1);
        else
            unsetenv(s.name);
    }
}

ScopedNoDisplay::ScopedNoDisplay() {
    if (const char* value = std::getenv("DISPLAY")) {
        set_ = true;
        value_ = value;
    }
    unsetenv("DISPLAY");
}

ScopedNoDisplay::~ScopedNoDisplay() {
    if (set_)
        setenv("DISPLAY", value_.c_str(), 1);
}

void PublishedDialog::Publish(std::shared_ptr<DialogRefresh> dialog) {
    std::lock_guard<std::mutex> lock(mutex_);
    dialog_ = std::move(dialog);
    publications_.fetch_add(1);
}

std::shared_ptr<DialogRefresh> PublishedDialog::Get() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return dialog_;
}

void SetFilterDefaults(FilterSettings& filter) {
    filter.Restore({});
    LoadFilterSettings(filter);  // the scratch registry has no "Filter" key: defaults
    LoadGraySettings(filter);
}

FakeImageSession::FakeImageSession(int32_t mode) : colorMode(mode) {
    SetFilterDefaults(filter);
}

FakeAnalogSession::FakeAnalogSession() {
    SetFilterDefaults(filter);
    LoadAnalogSettings(analog, 0);
}

void FakeAnalogSession::SetGain(int32_t gain) {
    std::lock_guard<std::mutex> lock(mutex_);
    gains_.push_back(gain);
    gainThread_ = std::this_thread::get_id();
}

void FakeAnalogSession::SetExposure(int32_t exposure) {
    std::lock_guard<std::mutex> lock(mutex_);
    exposures_.push_back(exposure);
}

std::vector<int32_t> FakeAnalogSession::Gains() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return gains_;
}

std::vector<int32_t> FakeAnalogSession::Exposures() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return exposures_;
}

std::thread::id FakeAnalogSession::GainThread() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return gainThread_;
}

}  // namespace pixora::test

// The font library behind the toolkit keeps its caches for the life of the process; the
// leak checker of the sanitizer builds is told so.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libXft.so\n";
}

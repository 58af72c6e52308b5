// A port that opens no camera and says why: what a driver that was asked for but is not
// part of this build answers, so that the reason reaches the application.
#pragma once

#include <string>

#include "driver/DriverPort.h"

namespace pixora {

class UnavailablePort final : public DriverPort {
public:
    explicit UnavailablePort(std::string reason) : reason_(std::move(reason)) {}

    OpenResult Open(const char* path) override {
        (void)path;
        OpenResult result;
        result.detail = reason_;
        return result;
    }

private:
    const std::string reason_;
};

}  // namespace pixora

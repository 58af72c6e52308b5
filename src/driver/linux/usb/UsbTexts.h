// The USB port's words for what went wrong, each naming the cause and, where there is one,
// the fix; they reach the application through PixoraEx_GetFailureDetail and `pixora`.
#pragma once

#include <cstdint>
#include <string>

#include "driver/UsbConfig.h"

namespace pixora {

std::string NoLibusbText(int error);
std::string NothingConfiguredText();
std::string EnumerationFailedText(int error);
std::string NoCameraAtIndexText(int index, int attached);
std::string BadPathText(const char* path);
std::string UnfitEndpointsText(const UsbCameraModel& model, const std::string& why);
std::string OpenFailedText(int error, const UsbCameraModel& model, uint8_t bus, uint8_t address,
                           int index);
std::string KernelDriverText(const UsbCameraModel& model, uint8_t bus, const std::string& ports);
std::string ClaimFailedText(int error, const UsbCameraModel& model);
std::string TransferTimedOutText(uint8_t endpoint, uint32_t timeoutMs);
std::string UnpluggedText();
std::string TransferFailedText(uint8_t endpoint, int status);
std::string SubmitFailedText(uint8_t endpoint, int error);

}  // namespace pixora

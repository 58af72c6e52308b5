// The PixoraEx_Usb* extensions: the USB devices that could be cameras, the configuration
// that makes one a camera, and the udev rule that gives the desktop's user access to it.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "PixoraExtensions.h"
#include "driver/SystemPorts.h"
#include "driver/UsbConfig.h"
#include "platform/Environment.h"

namespace pixora {
namespace {

void CopyText(const std::string& text, char* out, int32_t size) {
    if (out == nullptr || size < 1)
        return;
    const size_t length = std::min(text.size(), static_cast<size_t>(size) - 1);
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
}

void ToPublic(const UsbDeviceReport& report, PixoraUsbDevice* out) {
    *out = PixoraUsbDevice{};
    out->size = sizeof(PixoraUsbDevice);
    out->vendor = report.vendor;
    out->product = report.product;
    out->bus = report.bus;
    out->address = report.address;
    CopyText(report.portPath, out->portPath, sizeof out->portPath);
    out->interfaceNumber = report.interfaceNumber;
    out->configured = report.configured ? 1 : 0;
    out->cameraIndex = report.cameraIndex;
    const size_t count = std::min<size_t>(report.endpoints.size(), PIXORA_USB_MAX_ENDPOINTS);
    out->endpointCount = static_cast<int32_t>(count);
    for (size_t i = 0; i < count; ++i) {
        out->endpoints[i].address = report.endpoints[i].address;
        out->endpoints[i].type = report.endpoints[i].type;
        out->endpoints[i].maxPacket = report.endpoints[i].maxPacket;
    }
}

}  // namespace
}  // namespace pixora

extern "C" {

PIXORA_API int32_t PIXORA_CALL PixoraEx_UsbListDevices(PixoraUsbDevice* devices, int32_t capacity,
                                                       char* why, int32_t whySize) {
    pixora::CopyText("", why, whySize);
    std::string reason;
    const std::vector<pixora::UsbDeviceReport> reports = pixora::SurveyUsbDevices(&reason);
    if (reports.empty() && !reason.empty()) {
        pixora::CopyText(reason, why, whySize);
        return -1;
    }
    for (size_t i = 0;
         devices != nullptr && i < reports.size() && static_cast<int64_t>(i) < capacity; ++i) {
        pixora::ToPublic(reports[i], &devices[i]);
    }
    return static_cast<int32_t>(reports.size());
}

PIXORA_API int32_t PIXORA_CALL PixoraEx_UsbUseCamera(const char* ids, const char* endpoints,
                                                     int32_t scope, char* result,
                                                     int32_t resultSize) {
    pixora::UsbCameraModel model;
    if (ids == nullptr || !pixora::ParseUsbIds(ids, model.vendor, model.product)) {
        pixora::CopyText(std::string("'") + (ids != nullptr ? ids : "") +
                             "' is no vendor:product pair (four hex digits each, like 1234:5678)",
                         result, resultSize);
        return 0;
    }
    if (endpoints != nullptr && endpoints[0] != '\0') {
        pixora::EndpointMap map;
        std::string why;
        if (!pixora::ParseEndpointMap(endpoints, map, &why)) {
            pixora::CopyText(why, result, resultSize);
            return 0;
        }
        model.endpoints = map;
    }
    std::string path;
    const std::vector<std::string> chosen = pixora::UsbConfigPaths();
    if (chosen.size() == 1) {
        path = chosen[0];  // PIXORA_USB_CONFIG
    } else if (scope == 1 || (scope == -1 && pixora::RunningAsAdministrator())) {
        path = pixora::SystemUsbConfigPath();
    } else {
        path = pixora::UserUsbConfigPath();
    }
    std::string why;
    if (!pixora::SaveUsbCameraModel(path, model, &why)) {
        pixora::CopyText(why, result, resultSize);
        return 0;
    }
    pixora::CopyText(path, result, resultSize);
    return 1;
}

PIXORA_API int32_t PIXORA_CALL PixoraEx_UsbUdevRule(const char* ids, char* rule, int32_t size) {
    if (rule == nullptr || size < 1)
        return 0;
    rule[0] = '\0';
    std::vector<pixora::UsbCameraModel> models;
    if (ids != nullptr) {
        pixora::UsbCameraModel model;
        if (!pixora::ParseUsbIds(ids, model.vendor, model.product))
            return 0;
        models.push_back(model);
    } else {
        models = pixora::LoadUsbConfig().cameras;
    }
    if (models.empty())
        return 0;
    pixora::CopyText(pixora::UdevRuleText(models), rule, size);
    return 1;
}

}  // extern "C"

// Which USB devices are 530TZ cameras, and how their endpoints serve the three pipes: the
// configuration `pixora usb use` writes. A text file, one camera model a line:
//
//     camera 1234:5678
//     camera 1234:5679 endpoints 01,82,83
//
// IDs are four hex digits each; the endpoint map names the endpoint addresses (hex) of
// pipes 0, 1 and 2; without it pipe N is the N-th endpoint of interface 0. '#' starts a
// comment. The user's file ($XDG_CONFIG_HOME/pixora/usb.conf, else ~/.config/pixora/
// usb.conf) and the system's (/etc/pixora/usb.conf) are both read; PIXORA_USB_CONFIG names
// one file to use instead of both.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pixora {

// Endpoint addresses of pipes 0 (out), 1 (in) and 2 (in).
struct EndpointMap {
    uint8_t command = 0;
    uint8_t reply = 0;
    uint8_t image = 0;
};

struct UsbCameraModel {
    uint16_t vendor = 0;
    uint16_t product = 0;
    std::optional<EndpointMap> endpoints;
};

struct UsbConfig {
    std::vector<UsbCameraModel> cameras;

    // The model configured for these IDs, or null.
    const UsbCameraModel* Find(uint16_t vendor, uint16_t product) const;
};

// "1234:5678"; false for anything else.
bool ParseUsbIds(std::string_view text, uint16_t& vendor, uint16_t& product);
// "01,82,83": three endpoint addresses, the first OUT (bit 7 clear), the others IN; false,
// with the reason in *why, otherwise.
bool ParseEndpointMap(std::string_view text, EndpointMap& map, std::string* why = nullptr);
std::string FormatUsbIds(uint16_t vendor, uint16_t product);
std::string FormatEndpointMap(const EndpointMap& map);

// The lines it can read; a bad line is skipped and named in *problems when given.
UsbConfig ParseUsbConfig(std::string_view text, std::vector<std::string>* problems = nullptr);
std::string FormatUsbConfig(const UsbConfig& config);

// Where the configuration lives.
std::string UserUsbConfigPath();
std::string SystemUsbConfigPath();
// The files read, in order: PIXORA_USB_CONFIG alone when set, else the user's and the
// system's.
std::vector<std::string> UsbConfigPaths();
// Every file of UsbConfigPaths() that exists, merged (a model listed twice: the first wins).
UsbConfig LoadUsbConfig();

// Adds or replaces the model in the file at `path` (created with its folder when missing,
// replaced atomically). False, with the reason in *why, when it cannot be written.
bool SaveUsbCameraModel(const std::string& path, const UsbCameraModel& model, std::string* why);

// The udev rule that gives the desktop's user access to these models (TAG+="uaccess"), and
// the file name it is installed under in /etc/udev/rules.d or /lib/udev/rules.d.
std::string UdevRuleText(const std::vector<UsbCameraModel>& models);
inline constexpr const char* kUdevRuleFileName = "70-pixora-530tz.rules";

}  // namespace pixora

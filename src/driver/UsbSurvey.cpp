#include "driver/UsbSurvey.h"

#include <cstdio>

namespace pixora {

namespace {

constexpr uint8_t kTypeBulk = 2;
constexpr uint8_t kTypeInterrupt = 3;

bool IsIn(const UsbEndpointReport& endpoint) {
    return (endpoint.address & 0x80) != 0;
}

// Pipes move blocks: bulk endpoints, or interrupt ones for the small blocks.
bool TypeFits(const UsbEndpointReport& endpoint) {
    return endpoint.type == kTypeBulk || endpoint.type == kTypeInterrupt;
}

const char* TypeName(uint8_t type) {
    switch (type) {
        case 0:
            return "control";
        case 1:
            return "isochronous";
        case kTypeBulk:
            return "bulk";
        default:
            return "interrupt";
    }
}

}  // namespace

std::string DescribeEndpoint(const UsbEndpointReport& endpoint) {
    char text[64];
    std::snprintf(text, sizeof text, "%02x %s %s %u", endpoint.address,
                  IsIn(endpoint) ? "IN" : "OUT", TypeName(endpoint.type), endpoint.maxPacket);
    return text;
}

std::string DescribeEndpoints(const std::vector<UsbEndpointReport>& endpoints) {
    if (endpoints.empty()) {
        return "no endpoints";
    }
    std::string text;
    for (size_t i = 0; i < endpoints.size(); ++i) {
        text += (i == 0 ? "" : ", ") + DescribeEndpoint(endpoints[i]);
    }
    return text;
}

bool CouldServePipes(const std::vector<UsbEndpointReport>& endpoints) {
    int out = 0;
    int in = 0;
    for (const UsbEndpointReport& endpoint : endpoints) {
        if (TypeFits(endpoint)) {
            (IsIn(endpoint) ? in : out) += 1;
        }
    }
    return out >= 1 && in >= 2;
}

bool MapPipeEndpoints(const std::vector<UsbEndpointReport>& found,
                      const std::optional<EndpointMap>& explicitMap, UsbEndpointReport pipes[3],
                      std::string* why) {
    static const char* const kNeeds[3] = {"OUT", "IN", "IN"};
    const std::string foundText = "interface 0 has " + DescribeEndpoints(found);
    if (explicitMap) {
        const uint8_t wanted[3] = {explicitMap->command, explicitMap->reply, explicitMap->image};
        for (int pipe = 0; pipe < 3; ++pipe) {
            const UsbEndpointReport* match = nullptr;
            for (const UsbEndpointReport& endpoint : found) {
                if (endpoint.address == wanted[pipe]) {
                    match = &endpoint;
                }
            }
            char endpointText[8];
            std::snprintf(endpointText, sizeof endpointText, "%02x", wanted[pipe]);
            if (match == nullptr) {
                *why = "the configured endpoint " + std::string(endpointText) + " of pipe " +
                       std::to_string(pipe) + " is not there (" + foundText + ")";
                return false;
            }
            if (IsIn(*match) != (pipe != 0) || !TypeFits(*match)) {
                *why = "pipe " + std::to_string(pipe) + " needs a bulk or interrupt " +
                       kNeeds[pipe] + " endpoint; the configured one is " +
                       DescribeEndpoint(*match) + " (" + foundText + ")";
                return false;
            }
            pipes[pipe] = *match;
        }
        return true;
    }
    if (found.size() < 3) {
        *why = "the three pipes need three endpoints (OUT, IN, IN); " + foundText;
        return false;
    }
    for (int pipe = 0; pipe < 3; ++pipe) {
        const UsbEndpointReport& endpoint = found[static_cast<size_t>(pipe)];
        if (IsIn(endpoint) != (pipe != 0) || !TypeFits(endpoint)) {
            *why = "pipe " + std::to_string(pipe) + " (endpoint " + std::to_string(pipe + 1) +
                   " in descriptor order) needs a bulk or interrupt " + kNeeds[pipe] +
                   " endpoint, found " + DescribeEndpoint(endpoint) + "; " + foundText;
            return false;
        }
        pipes[pipe] = endpoint;
    }
    return true;
}

}  // namespace pixora

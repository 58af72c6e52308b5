// Every export of the public header with the value it returns for an unknown handle.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "PixoraSdk_530TZ.h"

namespace pixora::test {

struct ExportCase {
    std::string name;
    std::function<int32_t(PIXORA_HANDLE)> call;
    int32_t failure;
};

// The 112 exports that take a camera handle (all but Pixora_GetDllVersion and
// Pixora_Initialize), called with
// harmless arguments.
std::vector<ExportCase> HandleExports();

}  // namespace pixora::test

#include "ExportTable.h"

#include "api/FilterAccessorList.h"

namespace pixora::test {

std::vector<ExportCase> HandleExports() {
    static int32_t flag;
    static int32_t a, b, c, d;
    static char names[PIXORA_DEVICE_NAME_ENTRY * PIXORA_DEVICE_NAME_COUNT];
    static char name[64];
    static PixoraCameraInfo info{36, 0, 0, 0, 0, 0, 0, 0, 0};
    std::vector<ExportCase> cases = {
        {"Pixora_Release", [](PIXORA_HANDLE h) { return Pixora_Release(h); }, 0},
        {"Pixora_GetLastError", [](PIXORA_HANDLE h) { return Pixora_GetLastError(h); }, 0},
        {"Pixora_Preview", [](PIXORA_HANDLE h) { return Pixora_Preview(h); }, 0},
        {"Pixora_CallBackPreview",
         [](PIXORA_HANDLE h) { return Pixora_CallBackPreview(h, nullptr, nullptr, 0, 1); }, 0},
        {"Pixora_StartPreview", [](PIXORA_HANDLE h) { return Pixora_StartPreview(h); }, 0},
        {"Pixora_StopPreview", [](PIXORA_HANDLE h) { return Pixora_StopPreview(h); }, 0},
        {"Pixora_Close", [](PIXORA_HANDLE h) { return Pixora_Close(h); }, 0},
        {"Pixora_SnapShot", [](PIXORA_HANDLE h) { return Pixora_SnapShot(h, nullptr, 0, 1); }, 0},
        {"Pixora_Capture", [](PIXORA_HANDLE h) { return Pixora_Capture(h); }, 0},
        {"Pixora_Trigger",
         [](PIXORA_HANDLE h) { return Pixora_Trigger(h, nullptr, nullptr, 0, 1); }, 0},
        {"Pixora_GetImage", [](PIXORA_HANDLE h) { return Pixora_GetImage(h, nullptr, 0, 1); }, 0},
        {"Pixora_SetPreviewWindow",
         [](PIXORA_HANDLE h) { return Pixora_SetPreviewWindow(h, nullptr, 0, 0, 10, 10); }, 0},
        {"Pixora_SaveImage", [](PIXORA_HANDLE h) { return Pixora_SaveImage(h, nullptr, 0); }, 0},
        {"Pixora_SetColorMode", [](PIXORA_HANDLE h) { return Pixora_SetColorMode(h, 24); }, 0},
        {"Pixora_GetColorMode", [](PIXORA_HANDLE h) { return Pixora_GetColorMode(h); }, -1},
        {"Pixora_SetDeviceNumber", [](PIXORA_HANDLE h) { return Pixora_SetDeviceNumber(h, 0); }, 0},
        {"Pixora_EnumDevice", [](PIXORA_HANDLE h) { return Pixora_EnumDevice(h, names); }, 0},
        {"Pixora_GetDeviceName",
         [](PIXORA_HANDLE h) { return Pixora_GetDeviceName(h, 0, name, sizeof name); }, 0},
        {"Pixora_GetCameraInfo", [](PIXORA_HANDLE h) { return Pixora_GetCameraInfo(h, &info); }, 0},
        {"Pixora_Width", [](PIXORA_HANDLE h) { return Pixora_Width(h); }, 0},
        {"Pixora_Height", [](PIXORA_HANDLE h) { return Pixora_Height(h); }, 0},
        {"Pixora_GetStatus", [](PIXORA_HANDLE h) { return Pixora_GetStatus(h, 0); }, 0},
        {"Pixora_GetSubSample", [](PIXORA_HANDLE h) { return Pixora_GetSubSample(h); }, -1},
        {"Pixora_SetWaitTime", [](PIXORA_HANDLE h) { return Pixora_SetWaitTime(h, 5); }, 0},
        {"Pixora_GetWaitTime", [](PIXORA_HANDLE h) { return Pixora_GetWaitTime(h); }, -1},
        {"Pixora_SetCameraDlg", [](PIXORA_HANDLE h) { return Pixora_SetCameraDlg(h, nullptr); }, 0},
        {"Pixora_SetImageDlg", [](PIXORA_HANDLE h) { return Pixora_SetImageDlg(h, nullptr); }, 0},
        {"Pixora_SetAnalogDlg", [](PIXORA_HANDLE h) { return Pixora_SetAnalogDlg(h, nullptr); }, 0},
        {"Pixora_SetFilterValue", [](PIXORA_HANDLE h) { return Pixora_SetFilterValue(h, 1, 0); },
         0},
        {"Pixora_GetFilterValue",
         [](PIXORA_HANDLE h) { return Pixora_GetFilterValue(h, 1, &flag); }, 0},
        {"Pixora_SetMirrorV", [](PIXORA_HANDLE h) { return Pixora_SetMirrorV(h, 0); }, 0},
        {"Pixora_GetMirrorV", [](PIXORA_HANDLE h) { return Pixora_GetMirrorV(h); }, 0},
        {"Pixora_GetMirrorH", [](PIXORA_HANDLE h) { return Pixora_GetMirrorH(h); }, 0},
        {"Pixora_SetAutoIris", [](PIXORA_HANDLE h) { return Pixora_SetAutoIris(h, 1); }, 0},
        {"Pixora_GetAutoIris", [](PIXORA_HANDLE h) { return Pixora_GetAutoIris(h, &flag); }, 0},
        {"Pixora_WriteRegister", [](PIXORA_HANDLE h) { return Pixora_WriteRegister(h, 1, 1); }, 0},
        {"Pixora_ReadRegister", [](PIXORA_HANDLE h) { return Pixora_ReadRegister(h, 1, &flag); },
         0},
        {"Pixora_ReadSromID", [](PIXORA_HANDLE h) { return Pixora_ReadSromID(h, 0, &flag); }, 0},
        {"Pixora_GetVideoFormat", [](PIXORA_HANDLE h) { return Pixora_GetVideoFormat(h, &flag); },
         0},
        {"Pixora_GetHalfClock", [](PIXORA_HANDLE h) { return Pixora_GetHalfClock(h, &flag); }, 0},
        {"Pixora_GetSamplingRate", [](PIXORA_HANDLE h) { return Pixora_GetSamplingRate(h, &flag); },
         0},
        {"Pixora_Fpga_ReadRegister",
         [](PIXORA_HANDLE h) { return Pixora_Fpga_ReadRegister(h, 0, &flag); }, 0},
        {"Pixora_Fpga_WriteRegister",
         [](PIXORA_HANDLE h) { return Pixora_Fpga_WriteRegister(h, 0, 0); }, 0},
        {"Pixora_Fps", [](PIXORA_HANDLE h) { return Pixora_Fps(h, 0); }, 0},
        {"Pixora_GetCameraType", [](PIXORA_HANDLE h) { return Pixora_GetCameraType(h, &flag); }, 0},
        {"Pixora_GetCaptureWindowEx",
         [](PIXORA_HANDLE h) { return Pixora_GetCaptureWindowEx(h, &a, &b, &c, &d); }, 0},
        {"Pixora_GetIOPort", [](PIXORA_HANDLE h) { return Pixora_GetIOPort(h, &flag); }, 0},
        {"Pixora_Record", [](PIXORA_HANDLE h) { return Pixora_Record(h, "x"); }, 0},
        {"Pixora_SetCameraType", [](PIXORA_HANDLE h) { return Pixora_SetCameraType(h, 0); }, 0},
        {"Pixora_SetCaptureWindow",
         [](PIXORA_HANDLE h) { return Pixora_SetCaptureWindow(h, 0, 0, 1, 1); }, 0},
        {"Pixora_SetCaptureWindowEx",
         [](PIXORA_HANDLE h) { return Pixora_SetCaptureWindowEx(h, 0, 0, 1, 1); }, 0},
        {"Pixora_SetCrossbar", [](PIXORA_HANDLE h) { return Pixora_SetCrossbar(h, 0, 0); }, 0},
        {"Pixora_SetHalfClock", [](PIXORA_HANDLE h) { return Pixora_SetHalfClock(h, 0); }, 0},
        {"Pixora_SetIOPort", [](PIXORA_HANDLE h) { return Pixora_SetIOPort(h, 0); }, 0},
        {"Pixora_SetMirrorH", [](PIXORA_HANDLE h) { return Pixora_SetMirrorH(h, 0); }, 0},
        {"Pixora_SetSamplingRate", [](PIXORA_HANDLE h) { return Pixora_SetSamplingRate(h, 0); }, 0},
        {"Pixora_SetSubSample", [](PIXORA_HANDLE h) { return Pixora_SetSubSample(h, 0); }, 0},
        {"Pixora_WriteSromID", [](PIXORA_HANDLE h) { return Pixora_WriteSromID(h, 0); }, 0},
    };
#define PIXORA_ADD_FILTER_CASES(Name)                                                     \
    cases.push_back(                                                                      \
        {"Pixora_Set" #Name, [](PIXORA_HANDLE h) { return Pixora_Set##Name(h, 0); }, 0}); \
    cases.push_back(                                                                      \
        {"Pixora_Get" #Name, [](PIXORA_HANDLE h) { return Pixora_Get##Name(h, &flag); }, 0});
    PIXORA_FILTER_ACCESSORS(PIXORA_ADD_FILTER_CASES)
#undef PIXORA_ADD_FILTER_CASES
    return cases;
}

}  // namespace pixora::test

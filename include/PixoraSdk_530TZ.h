/*
 * PixoraSdk_530TZ.h - control library of the 530TZ USB colour camera.
 *
 * Every function takes the camera handle returned by Pixora_Initialize as its first
 * argument (except Pixora_GetDllVersion and Pixora_Initialize) and returns a 32-bit
 * result: 1 for success and 0 for failure, or the value for getters. The failure value
 * of Pixora_GetColorMode, Pixora_GetSubSample and Pixora_GetWaitTime is -1.
 * On failure the reason is kept per camera and popped with Pixora_GetLastError.
 */
#ifndef PIXORA_SDK_530TZ_H
#define PIXORA_SDK_530TZ_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#if defined(PIXORA_BUILDING_LIBRARY)
#define PIXORA_API __declspec(dllexport)
#else
#define PIXORA_API __declspec(dllimport)
#endif
/* WINAPI: the calling convention of the Windows API (the only one on x86-64). */
#define PIXORA_CALL __stdcall
#else
#define PIXORA_API __attribute__((visibility("default")))
#define PIXORA_CALL
#endif

/* Camera handle: pointer-sized on the application side, its value a 32-bit number. */
typedef void* PIXORA_HANDLE;
#if defined(_WIN32)
/* Window handle: the HWND of <windows.h> (STRICT), so windows pass without a cast. */
typedef struct HWND__* PIXORA_HWND;
#else
/* Window handle: a message window of PixoraPlatform.h, or an X11 window id as a pointer. */
typedef void* PIXORA_HWND;
#endif

/* Window messages posted by the library. */
#define PIXORA_WM_APP 0x8000
#define PIXORA_WM_FRAME 0x8002 /* wParam: address of PixoraFrameInfo, or 0 with an error code */
#define PIXORA_WM_ERROR 0x8003 /* wParam 0, lParam the error code just recorded */

/* Error codes popped by Pixora_GetLastError (0: none). */
#define PIXORA_ERR_NONE 0
#define PIXORA_ERR_NO_DEVICE 1
#define PIXORA_ERR_DEVICE_NOT_FOUND 2
#define PIXORA_ERR_THREAD_FAILED 3
#define PIXORA_ERR_WINDOW_FAILED 4
#define PIXORA_ERR_BUFFER 5
#define PIXORA_ERR_DEVICE_IO 6
#define PIXORA_ERR_BAD_GEOMETRY 7
#define PIXORA_ERR_TRANSFER_FAILED 8
#define PIXORA_ERR_BAD_ARGUMENT 9
#define PIXORA_ERR_RESERVED_10 10
#define PIXORA_ERR_NOT_SUPPORTED 11
#define PIXORA_ERR_RESERVED_12 12
#define PIXORA_ERR_STREAM_FAILED 13

/* Format codes of Pixora_SaveImage. */
#define PIXORA_SAVE_BMP 0
#define PIXORA_SAVE_RAW 1
#define PIXORA_SAVE_JPEG 2
#define PIXORA_SAVE_JPEG_70 3
#define PIXORA_SAVE_JPEG_20 4
#define PIXORA_SAVE_PNG 5
#define PIXORA_SAVE_TIFF 6

/* Filter indices of Pixora_SetFilterValue / Pixora_GetFilterValue. */
#define PIXORA_FILTER_BRIGHTNESS 1
#define PIXORA_FILTER_CONTRAST 2
#define PIXORA_FILTER_HUE 3
#define PIXORA_FILTER_SATURATION 4
#define PIXORA_FILTER_SHARPNESS 5
#define PIXORA_FILTER_BAYER_GAIN_RGB 6
#define PIXORA_FILTER_BAYER_GAIN_RED 7
#define PIXORA_FILTER_BAYER_GAIN_GREEN 8
#define PIXORA_FILTER_BAYER_GAIN_BLUE 9
#define PIXORA_FILTER_BAYER_GAIN_AUTO 10
#define PIXORA_FILTER_GAMMA 11
#define PIXORA_FILTER_BAYER_MODE 12
#define PIXORA_FILTER_GLOBAL_GAIN 13
#define PIXORA_FILTER_COLOR_GAIN_RED 14
#define PIXORA_FILTER_COLOR_GAIN_GREEN1 15
#define PIXORA_FILTER_COLOR_GAIN_GREEN2 16
#define PIXORA_FILTER_COLOR_GAIN_BLUE 17
#define PIXORA_FILTER_EXPOSURE_TIME 18
#define PIXORA_FILTER_GRAY_MODE 19
#define PIXORA_FILTER_GRAY_GAIN_R 20
#define PIXORA_FILTER_GRAY_GAIN_G1 21
#define PIXORA_FILTER_GRAY_GAIN_G2 22
#define PIXORA_FILTER_GRAY_GAIN_B 23
#define PIXORA_FILTER_GRAY_OFFSET_R 24
#define PIXORA_FILTER_GRAY_OFFSET_G1 25
#define PIXORA_FILTER_GRAY_OFFSET_G2 26
#define PIXORA_FILTER_GRAY_OFFSET_B 27

/* Modes of Pixora_SetAutoIris. */
#define PIXORA_AUTO_IRIS_OFF 0
#define PIXORA_AUTO_IRIS_EXPOSURE 1 /* the exposure follows the picture's brightness */
#define PIXORA_AUTO_IRIS_GAIN 2     /* the global gain follows it */

/* What the camera keeps of the global gain and the exposure it is sent, as
 * Pixora_GetCameraInfo reports them. Pixora_SetExposureTime takes 0..1067; the camera
 * raises an exposure below 8 to 8. */
#define PIXORA_GAIN_MIN 0
#define PIXORA_GAIN_MAX 1023
#define PIXORA_EXPOSURE_MIN 8
#define PIXORA_EXPOSURE_MAX 1068

/* Pixora_EnumDevice fills 10 entries of this many bytes. */
#define PIXORA_DEVICE_NAME_ENTRY 256
#define PIXORA_DEVICE_NAME_COUNT 10

/* Camera information record; the caller sets size to at least 36 before the call. */
typedef struct PixoraCameraInfo {
    uint32_t size;
    int32_t sensorWidth;
    int32_t sensorHeight;
    int32_t gainMin;
    int32_t gainMax;
    int32_t reserved1;
    int32_t reserved2;
    int32_t exposureMin;
    int32_t exposureMax;
} PixoraCameraInfo;

/* Frame information record, whose address is the wParam of each PIXORA_WM_FRAME. */
typedef struct PixoraFrameInfo {
    int32_t size; /* always 24 */
    int32_t width;
    int32_t height;
    int32_t bitsPerPixel;
    int32_t frameRate; /* tenths of a frame per second */
    int32_t reserved;
} PixoraFrameInfo;

#if defined(__cplusplus)
static_assert(sizeof(PixoraCameraInfo) == 36, "PixoraCameraInfo is 36 bytes");
static_assert(sizeof(PixoraFrameInfo) == 24, "PixoraFrameInfo is 24 bytes");
#else
typedef char PixoraCameraInfoSizeCheck[(sizeof(PixoraCameraInfo) == 36) ? 1 : -1];
typedef char PixoraFrameInfoSizeCheck[(sizeof(PixoraFrameInfo) == 24) ? 1 : -1];
#endif

/* Session and capture. */
PIXORA_API int32_t PIXORA_CALL Pixora_GetDllVersion(void);
PIXORA_API PIXORA_HANDLE PIXORA_CALL Pixora_Initialize(PIXORA_HWND errorWindow);
PIXORA_API int32_t PIXORA_CALL Pixora_Release(PIXORA_HANDLE camera);
PIXORA_API int32_t PIXORA_CALL Pixora_GetLastError(PIXORA_HANDLE camera);
PIXORA_API int32_t PIXORA_CALL Pixora_Preview(PIXORA_HANDLE camera);
PIXORA_API int32_t PIXORA_CALL Pixora_CallBackPreview(PIXORA_HANDLE camera,
                                                      PIXORA_HWND notifyWindow, void* buffer,
                                                      int32_t bufferSize, int32_t rowOrder);
PIXORA_API int32_t PIXORA_CALL Pixora_StartPreview(PIXORA_HANDLE camera);
PIXORA_API int32_t PIXORA_CALL Pixora_StopPreview(PIXORA_HANDLE camera);
PIXORA_API int32_t PIXORA_CALL Pixora_Close(PIXORA_HANDLE camera);
PIXORA_API int32_t PIXORA_CALL Pixora_SnapShot(PIXORA_HANDLE camera, void* buffer,
                                               int32_t bufferSize, int32_t rowOrder);
PIXORA_API int32_t PIXORA_CALL Pixora_Capture(PIXORA_HANDLE camera);
PIXORA_API int32_t PIXORA_CALL Pixora_Trigger(PIXORA_HANDLE camera, PIXORA_HWND notifyWindow,
                                              void* buffer, int32_t bufferSize, int32_t rowOrder);
PIXORA_API int32_t PIXORA_CALL Pixora_GetImage(PIXORA_HANDLE camera, void* buffer,
                                               int32_t bufferSize, int32_t rowOrder);
PIXORA_API int32_t PIXORA_CALL Pixora_SetPreviewWindow(PIXORA_HANDLE camera, PIXORA_HWND parent,
                                                       int32_t x, int32_t y, int32_t width,
                                                       int32_t height);
PIXORA_API int32_t PIXORA_CALL Pixora_SaveImage(PIXORA_HANDLE camera, const char* fileName,
                                                int32_t format);
PIXORA_API int32_t PIXORA_CALL Pixora_SetColorMode(PIXORA_HANDLE camera, int32_t bitsPerPixel);
PIXORA_API int32_t PIXORA_CALL Pixora_GetColorMode(PIXORA_HANDLE camera);
PIXORA_API int32_t PIXORA_CALL Pixora_SetDeviceNumber(PIXORA_HANDLE camera, int32_t index);
PIXORA_API int32_t PIXORA_CALL Pixora_EnumDevice(PIXORA_HANDLE camera, char* names);
PIXORA_API int32_t PIXORA_CALL Pixora_GetDeviceName(PIXORA_HANDLE camera, int32_t index, char* name,
                                                    int32_t size);
PIXORA_API int32_t PIXORA_CALL Pixora_GetCameraInfo(PIXORA_HANDLE camera, PixoraCameraInfo* info);
PIXORA_API int32_t PIXORA_CALL Pixora_Width(PIXORA_HANDLE camera);
PIXORA_API int32_t PIXORA_CALL Pixora_Height(PIXORA_HANDLE camera);
PIXORA_API int32_t PIXORA_CALL Pixora_GetStatus(PIXORA_HANDLE camera, int32_t ignored);
PIXORA_API int32_t PIXORA_CALL Pixora_GetSubSample(PIXORA_HANDLE camera);
PIXORA_API int32_t PIXORA_CALL Pixora_SetWaitTime(PIXORA_HANDLE camera, int32_t milliseconds);
PIXORA_API int32_t PIXORA_CALL Pixora_GetWaitTime(PIXORA_HANDLE camera);
PIXORA_API int32_t PIXORA_CALL Pixora_SetCameraDlg(PIXORA_HANDLE camera, PIXORA_HWND parent);
PIXORA_API int32_t PIXORA_CALL Pixora_SetImageDlg(PIXORA_HANDLE camera, PIXORA_HWND parent);
PIXORA_API int32_t PIXORA_CALL Pixora_SetAnalogDlg(PIXORA_HANDLE camera, PIXORA_HWND parent);
PIXORA_API int32_t PIXORA_CALL Pixora_SetFilterValue(PIXORA_HANDLE camera, int32_t index,
                                                     int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetFilterValue(PIXORA_HANDLE camera, int32_t index,
                                                     int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetMirrorV(PIXORA_HANDLE camera, int32_t flag);
PIXORA_API int32_t PIXORA_CALL Pixora_GetMirrorV(PIXORA_HANDLE camera);
PIXORA_API int32_t PIXORA_CALL Pixora_GetMirrorH(PIXORA_HANDLE camera);
PIXORA_API int32_t PIXORA_CALL Pixora_SetAutoIris(PIXORA_HANDLE camera, int32_t mode);
PIXORA_API int32_t PIXORA_CALL Pixora_GetAutoIris(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_WriteRegister(PIXORA_HANDLE camera, int32_t address,
                                                    int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_ReadRegister(PIXORA_HANDLE camera, int32_t address,
                                                   int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_ReadSromID(PIXORA_HANDLE camera, int32_t ignored,
                                                 int32_t* ok);

/* Three names of one function: set *ok to 0 (when given) and return 0. */
PIXORA_API int32_t PIXORA_CALL Pixora_GetVideoFormat(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_GetHalfClock(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_GetSamplingRate(PIXORA_HANDLE camera, int32_t* ok);

/* Not supported by this camera: record error 11 for a known handle and return 0.
 * Only the handle is read; further arguments are ignored. */
PIXORA_API int32_t PIXORA_CALL Pixora_Fpga_ReadRegister(PIXORA_HANDLE camera, int32_t address,
                                                        int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_Fpga_WriteRegister(PIXORA_HANDLE camera, int32_t address,
                                                         int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_Fps(PIXORA_HANDLE camera, int32_t fps);
PIXORA_API int32_t PIXORA_CALL Pixora_GetCameraType(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_GetCaptureWindowEx(PIXORA_HANDLE camera, int32_t* x,
                                                         int32_t* y, int32_t* width,
                                                         int32_t* height);
PIXORA_API int32_t PIXORA_CALL Pixora_GetIOPort(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_Record(PIXORA_HANDLE camera, const char* fileName);
PIXORA_API int32_t PIXORA_CALL Pixora_SetCameraType(PIXORA_HANDLE camera, int32_t type);
PIXORA_API int32_t PIXORA_CALL Pixora_SetCaptureWindow(PIXORA_HANDLE camera, int32_t x, int32_t y,
                                                       int32_t width, int32_t height);
PIXORA_API int32_t PIXORA_CALL Pixora_SetCaptureWindowEx(PIXORA_HANDLE camera, int32_t x, int32_t y,
                                                         int32_t width, int32_t height);
PIXORA_API int32_t PIXORA_CALL Pixora_SetCrossbar(PIXORA_HANDLE camera, int32_t input,
                                                  int32_t output);
PIXORA_API int32_t PIXORA_CALL Pixora_SetHalfClock(PIXORA_HANDLE camera, int32_t flag);
PIXORA_API int32_t PIXORA_CALL Pixora_SetIOPort(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_SetMirrorH(PIXORA_HANDLE camera, int32_t flag);
PIXORA_API int32_t PIXORA_CALL Pixora_SetSamplingRate(PIXORA_HANDLE camera, int32_t rate);
PIXORA_API int32_t PIXORA_CALL Pixora_SetSubSample(PIXORA_HANDLE camera, int32_t index);
PIXORA_API int32_t PIXORA_CALL Pixora_WriteSromID(PIXORA_HANDLE camera, int32_t id);

/* Filter accessors: Pixora_SetX(h, v) is Pixora_SetFilterValue(h, index, v) and
 * Pixora_GetX(h, ok) is Pixora_GetFilterValue(h, index, ok). */
PIXORA_API int32_t PIXORA_CALL Pixora_SetBrightness(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetBrightness(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetContrast(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetContrast(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetHue(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetHue(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetSaturation(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetSaturation(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetSharpness(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetSharpness(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetBayerGainRGB(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetBayerGainRGB(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetBayerGainRed(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetBayerGainRed(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetBayerGainGreen(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetBayerGainGreen(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetBayerGainBlue(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetBayerGainBlue(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetBayerGainAuto(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetBayerGainAuto(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetGamma(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetGamma(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetBayerMode(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetBayerMode(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetGlobalGain(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetGlobalGain(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetColorGainRed(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetColorGainRed(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetColorGainGreen1(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetColorGainGreen1(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetColorGainGreen2(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetColorGainGreen2(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetColorGainBlue(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetColorGainBlue(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetExposureTime(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetExposureTime(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetGrayMode(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetGrayMode(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetGrayGainR(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetGrayGainR(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetGrayGainG1(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetGrayGainG1(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetGrayGainG2(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetGrayGainG2(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetGrayGainB(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetGrayGainB(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetGrayOffsetR(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetGrayOffsetR(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetGrayOffsetG1(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetGrayOffsetG1(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetGrayOffsetG2(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetGrayOffsetG2(PIXORA_HANDLE camera, int32_t* ok);
PIXORA_API int32_t PIXORA_CALL Pixora_SetGrayOffsetB(PIXORA_HANDLE camera, int32_t value);
PIXORA_API int32_t PIXORA_CALL Pixora_GetGrayOffsetB(PIXORA_HANDLE camera, int32_t* ok);

#ifdef __cplusplus
}
#endif

#endif /* PIXORA_SDK_530TZ_H */

"""The result and argument types of every function the library exports.

ctypes assumes ``int`` results and guesses argument types, which cuts 64-bit pointers (a
message window, a camera handle, an error text) to 32 bits. ``declare`` gives every function
its C prototype, from the table below, before anything is called.
"""

import ctypes
import os
from ctypes import POINTER, c_char, c_char_p, c_double, c_int32, c_size_t, c_ssize_t
from ctypes import c_uint32, c_uint64, c_void_p

from . import _records

_I32 = c_int32
_HANDLE = c_void_p  # PIXORA_HANDLE
_HWND = c_void_p  # PIXORA_HWND
_BUFFER = c_void_p  # void*: image memory
_FLAG = POINTER(c_int32)  # int32_t*: the "ok" flag and other results
_TEXT_OUT = POINTER(c_char)  # char*: text written by the library

# PixoraLogHandler: void (*)(int32_t level, const char* text, void* context), with the
# calling convention of the exports (WINAPI on Windows).
_CALLBACK = ctypes.WINFUNCTYPE if os.name == "nt" else ctypes.CFUNCTYPE  # type: ignore[attr-defined]
LOG_HANDLER = _CALLBACK(None, c_int32, c_char_p, c_void_p)

# The named filter functions: Pixora_SetX(camera, value) and Pixora_GetX(camera, ok).
FILTER_ACCESSORS = (
    "Brightness", "Contrast", "Hue", "Saturation", "Sharpness",
    "BayerGainRGB", "BayerGainRed", "BayerGainGreen", "BayerGainBlue", "BayerGainAuto",
    "Gamma", "BayerMode", "GlobalGain",
    "ColorGainRed", "ColorGainGreen1", "ColorGainGreen2", "ColorGainBlue",
    "ExposureTime", "GrayMode",
    "GrayGainR", "GrayGainG1", "GrayGainG2", "GrayGainB",
    "GrayOffsetR", "GrayOffsetG1", "GrayOffsetG2", "GrayOffsetB",
)  # fmt: skip

# name: (result type, argument types), in the order of the headers.
PROTOTYPES = {
    # PixoraSdk_530TZ.h: session and capture
    "Pixora_GetDllVersion": (_I32, []),
    "Pixora_Initialize": (_HANDLE, [_HWND]),
    "Pixora_Release": (_I32, [_HANDLE]),
    "Pixora_GetLastError": (_I32, [_HANDLE]),
    "Pixora_Preview": (_I32, [_HANDLE]),
    "Pixora_CallBackPreview": (_I32, [_HANDLE, _HWND, _BUFFER, _I32, _I32]),
    "Pixora_StartPreview": (_I32, [_HANDLE]),
    "Pixora_StopPreview": (_I32, [_HANDLE]),
    "Pixora_Close": (_I32, [_HANDLE]),
    "Pixora_SnapShot": (_I32, [_HANDLE, _BUFFER, _I32, _I32]),
    "Pixora_Capture": (_I32, [_HANDLE]),
    "Pixora_Trigger": (_I32, [_HANDLE, _HWND, _BUFFER, _I32, _I32]),
    "Pixora_GetImage": (_I32, [_HANDLE, _BUFFER, _I32, _I32]),
    "Pixora_SetPreviewWindow": (_I32, [_HANDLE, _HWND, _I32, _I32, _I32, _I32]),
    "Pixora_SaveImage": (_I32, [_HANDLE, c_char_p, _I32]),
    "Pixora_SetColorMode": (_I32, [_HANDLE, _I32]),
    "Pixora_GetColorMode": (_I32, [_HANDLE]),
    "Pixora_SetDeviceNumber": (_I32, [_HANDLE, _I32]),
    "Pixora_EnumDevice": (_I32, [_HANDLE, _TEXT_OUT]),
    "Pixora_GetDeviceName": (_I32, [_HANDLE, _I32, _TEXT_OUT, _I32]),
    "Pixora_GetCameraInfo": (_I32, [_HANDLE, POINTER(_records.CameraInfo)]),
    "Pixora_Width": (_I32, [_HANDLE]),
    "Pixora_Height": (_I32, [_HANDLE]),
    "Pixora_GetStatus": (_I32, [_HANDLE, _I32]),
    "Pixora_GetSubSample": (_I32, [_HANDLE]),
    "Pixora_SetWaitTime": (_I32, [_HANDLE, _I32]),
    "Pixora_GetWaitTime": (_I32, [_HANDLE]),
    "Pixora_SetCameraDlg": (_I32, [_HANDLE, _HWND]),
    "Pixora_SetImageDlg": (_I32, [_HANDLE, _HWND]),
    "Pixora_SetAnalogDlg": (_I32, [_HANDLE, _HWND]),
    "Pixora_SetFilterValue": (_I32, [_HANDLE, _I32, _I32]),
    "Pixora_GetFilterValue": (_I32, [_HANDLE, _I32, _FLAG]),
    "Pixora_SetMirrorV": (_I32, [_HANDLE, _I32]),
    "Pixora_GetMirrorV": (_I32, [_HANDLE]),
    "Pixora_GetMirrorH": (_I32, [_HANDLE]),
    "Pixora_SetAutoIris": (_I32, [_HANDLE, _I32]),
    "Pixora_GetAutoIris": (_I32, [_HANDLE, _FLAG]),
    "Pixora_WriteRegister": (_I32, [_HANDLE, _I32, _I32]),
    "Pixora_ReadRegister": (_I32, [_HANDLE, _I32, _FLAG]),
    "Pixora_ReadSromID": (_I32, [_HANDLE, _I32, _FLAG]),
    "Pixora_GetVideoFormat": (_I32, [_HANDLE, _FLAG]),
    "Pixora_GetHalfClock": (_I32, [_HANDLE, _FLAG]),
    "Pixora_GetSamplingRate": (_I32, [_HANDLE, _FLAG]),
    # Not supported by this camera.
    "Pixora_Fpga_ReadRegister": (_I32, [_HANDLE, _I32, _FLAG]),
    "Pixora_Fpga_WriteRegister": (_I32, [_HANDLE, _I32, _I32]),
    "Pixora_Fps": (_I32, [_HANDLE, _I32]),
    "Pixora_GetCameraType": (_I32, [_HANDLE, _FLAG]),
    "Pixora_GetCaptureWindowEx": (_I32, [_HANDLE, _FLAG, _FLAG, _FLAG, _FLAG]),
    "Pixora_GetIOPort": (_I32, [_HANDLE, _FLAG]),
    "Pixora_Record": (_I32, [_HANDLE, c_char_p]),
    "Pixora_SetCameraType": (_I32, [_HANDLE, _I32]),
    "Pixora_SetCaptureWindow": (_I32, [_HANDLE, _I32, _I32, _I32, _I32]),
    "Pixora_SetCaptureWindowEx": (_I32, [_HANDLE, _I32, _I32, _I32, _I32]),
    "Pixora_SetCrossbar": (_I32, [_HANDLE, _I32, _I32]),
    "Pixora_SetHalfClock": (_I32, [_HANDLE, _I32]),
    "Pixora_SetIOPort": (_I32, [_HANDLE, _I32]),
    "Pixora_SetMirrorH": (_I32, [_HANDLE, _I32]),
    "Pixora_SetSamplingRate": (_I32, [_HANDLE, _I32]),
    "Pixora_SetSubSample": (_I32, [_HANDLE, _I32]),
    "Pixora_WriteSromID": (_I32, [_HANDLE, _I32]),
    # PixoraPlatform.h: message windows
    "PixoraMsg_CreateWindow": (_HWND, []),
    "PixoraMsg_DestroyWindow": (_I32, [_HWND]),
    "PixoraMsg_Get": (_I32, [_HWND, POINTER(_records.Message), _I32]),
    "PixoraMsg_Pending": (_I32, [_HWND]),
    "PixoraMsg_Post": (_I32, [_HWND, c_uint32, c_size_t, c_ssize_t]),
    # PixoraPlatform.h: the virtual camera
    "PixoraSim_Configure": (_I32, [c_char_p]),
    "PixoraSim_Reset": (_I32, []),
    "PixoraSim_SetCameras": (_I32, [c_uint32]),
    "PixoraSim_GetCameras": (_I32, []),
    "PixoraSim_SetFps": (_I32, [_I32, c_double]),
    "PixoraSim_SetScene": (_I32, [_I32, _I32]),
    "PixoraSim_Trigger": (_I32, [_I32]),
    "PixoraSim_SetFault": (_I32, [_I32, _I32, _I32]),
    "PixoraSim_FramesSent": (_I32, [_I32]),
    "PixoraSim_CommandsReceived": (_I32, [_I32, _I32]),
    "PixoraSim_ReadRegister": (_I32, [_I32, _I32]),
    "PixoraSim_GetStatus": (_I32, [_I32, POINTER(_records.SimStatus)]),
    "PixoraSim_ClearLog": (_I32, [_I32]),
    # PixoraExtensions.h
    "PixoraEx_ErrorText": (c_char_p, [_I32]),
    "PixoraEx_GetFailureDetail": (_I32, [_HANDLE, _TEXT_OUT, _I32]),
    "PixoraEx_SetLogHandler": (_I32, [LOG_HANDLER, c_void_p]),
    "PixoraEx_GetFilterRange": (_I32, [_I32, _FLAG, _FLAG]),
    "PixoraEx_GetControlCount": (_I32, []),
    "PixoraEx_GetControlInfo": (_I32, [_I32, POINTER(_records.ControlInfo)]),
    "PixoraEx_FindControl": (_I32, [c_char_p]),
    "PixoraEx_GetControl": (_I32, [_HANDLE, _I32, _FLAG]),
    "PixoraEx_SetControl": (_I32, [_HANDLE, _I32, _I32]),
    "PixoraEx_GetSaveFormatCount": (_I32, []),
    "PixoraEx_GetSaveFormatInfo": (_I32, [_I32, POINTER(_records.SaveFormatInfo)]),
    "PixoraEx_GetFrameMeta": (_I32, [POINTER(_records.FrameInfo), POINTER(_records.FrameMeta)]),
    "PixoraEx_GetFrame": (_I32, [_HANDLE, _BUFFER, _I32, _I32, POINTER(_records.FrameMeta)]),
    "PixoraEx_WaitFrame": (_I32, [_HANDLE, c_uint64, _I32]),
    "PixoraEx_GetFrameCounts": (_I32, [_HANDLE, POINTER(_records.FrameCounts)]),
    "PixoraEx_StartTrigger": (_I32, [_HANDLE]),
    "PixoraEx_GetCaptureState": (_I32, [_HANDLE]),
    "PixoraEx_UsbListDevices": (_I32, [POINTER(_records.UsbDevice), _I32, _TEXT_OUT, _I32]),
    "PixoraEx_UsbUseCamera": (_I32, [c_char_p, c_char_p, _I32, _TEXT_OUT, _I32]),
    "PixoraEx_UsbUdevRule": (_I32, [c_char_p, _TEXT_OUT, _I32]),
    "PixoraEx_OpenStream": (_I32, [_HANDLE, POINTER(_records.StreamOptions)]),
    "PixoraEx_TakeFrame": (_I32, [_HANDLE, POINTER(_records.StreamFrame), _I32]),
    "PixoraEx_ReturnFrame": (_I32, [POINTER(_records.StreamFrame)]),
    "PixoraEx_CloseStream": (_I32, [_HANDLE]),
    "PixoraEx_GetStreamStatus": (_I32, [_HANDLE, POINTER(_records.StreamStatus)]),
    "PixoraEx_GetBayerPattern": (_I32, [_HANDLE]),
}
for _name in FILTER_ACCESSORS:
    PROTOTYPES["Pixora_Set" + _name] = (_I32, [_HANDLE, _I32])
    PROTOTYPES["Pixora_Get" + _name] = (_I32, [_HANDLE, _FLAG])


def declare(library: ctypes.CDLL) -> None:
    """Gives each function of ``library`` its prototype; AttributeError for a missing one."""
    for name, (result, arguments) in PROTOTYPES.items():
        function = getattr(library, name)
        function.restype = result
        function.argtypes = arguments

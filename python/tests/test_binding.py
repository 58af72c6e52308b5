"""The ctypes declarations against the C headers: every exported function declared with the
header's argument and result types, records of the header's sizes, constants of the
header's values; and pointers that come back whole."""

import ctypes
import pathlib
import re

import pixora
from pixora import _binding, _library, _records, constants

INCLUDE = pathlib.Path(__file__).resolve().parents[2] / "include"
HEADERS = ["PixoraSdk_530TZ.h", "PixoraPlatform.h", "PixoraExtensions.h"]

# C type -> the ctypes types that carry it whole.
POINTER_TYPES = (ctypes.c_void_p, ctypes.c_char_p, ctypes._Pointer)


def header_text():
    text = "\n".join((INCLUDE / name).read_text() for name in HEADERS)
    return re.sub(r"/\*.*?\*/", "", text, flags=re.S)


def header_functions():
    """name -> (result C type, [argument C types]) of every PIXORA_API declaration."""
    pattern = re.compile(r"^PIXORA_API\s+([^;(]+?)\s*PIXORA_CALL\s+(\w+)\s*\(([^)]*)\)\s*;", re.M)
    functions = {}
    for result, name, arguments in pattern.findall(header_text()):
        types = []
        for argument in arguments.split(","):
            argument = " ".join(argument.split())
            if argument in ("", "void"):
                continue
            # Drop the parameter's name: the last word, unless it is a bare type.
            match = re.match(r"(.*?[\s*])(\w+)$", argument)
            types.append(match.group(1).replace(" ", "") if match else argument)
        functions[name] = (" ".join(result.split()), types)
    return functions


def header_callbacks():
    """name -> (result C type, [argument C types]) of every function pointer type."""
    pattern = re.compile(r"typedef\s+(\w+)\s*\(\s*PIXORA_CALL\s*\*\s*(\w+)\s*\)\s*\(([^)]*)\)\s*;")
    callbacks = {}
    for result, name, arguments in pattern.findall(header_text()):
        types = []
        for argument in arguments.split(","):
            match = re.match(r"(.*?[\s*])(\w+)$", " ".join(argument.split()))
            kept = match.group(1) if match else argument
            types.append(kept.replace("const", "").replace(" ", ""))
        callbacks[name] = (result, types)
    return callbacks


def fits(c_type, ctypes_type):
    """Whether ``ctypes_type`` passes the C type ``c_type`` without loss."""
    c_type = c_type.replace("const", "").replace(" ", "")
    callbacks = header_callbacks()
    if c_type in callbacks:  # a function pointer: the ctypes prototype of the same signature
        result, arguments = callbacks[c_type]
        if not (isinstance(ctypes_type, type) and issubclass(ctypes_type, ctypes._CFuncPtr)):
            return False
        returns = ctypes_type._restype_
        if (result == "void") != (returns is None) or (returns is not None and not fits(result, returns)):
            return False
        return len(arguments) == len(ctypes_type._argtypes_) and all(
            fits(a, t) for a, t in zip(arguments, ctypes_type._argtypes_)
        )
    if c_type.endswith("*") or c_type in ("PIXORA_HANDLE", "PIXORA_HWND"):
        record = re.fullmatch(r"Pixora(\w+)\*", c_type)
        if record:  # a pointer to the record of that name
            return getattr(ctypes_type, "_type_", None) is getattr(_records, record.group(1))
        return isinstance(ctypes_type, type) and issubclass(ctypes_type, POINTER_TYPES)
    scalars = {
        "int32_t": ctypes.c_int32,
        "uint32_t": ctypes.c_uint32,
        "uint64_t": ctypes.c_uint64,
        "uintptr_t": ctypes.c_size_t,
        "intptr_t": ctypes.c_ssize_t,
        "double": ctypes.c_double,
    }
    return ctypes.sizeof(ctypes_type) == ctypes.sizeof(scalars[c_type]) and (
        ctypes_type is scalars[c_type] or ctypes_type._type_ == scalars[c_type]._type_
    )


def test_every_export_is_declared_with_the_headers_types():
    declared = header_functions()
    assert len([name for name in declared if name.startswith("Pixora_")]) == 114
    assert set(_binding.PROTOTYPES) == set(declared)
    for name, (result, arguments) in declared.items():
        restype, argtypes = _binding.PROTOTYPES[name]
        assert len(argtypes) == len(arguments), name
        assert fits(result, restype), f"{name} returns {result}"
        for position, (c_type, ctypes_type) in enumerate(zip(arguments, argtypes)):
            assert fits(c_type, ctypes_type), f"{name} argument {position}: {c_type}"
    # The library has each of them, and the loaded functions carry the declarations.
    library = _library.library()
    for name, (restype, argtypes) in _binding.PROTOTYPES.items():
        assert getattr(library, name).restype is restype
        assert getattr(library, name).argtypes == argtypes


def test_records_have_the_headers_sizes():
    text = header_text()
    sizes = dict(re.findall(r"sizeof\((\w+)\) == (\d+)", text))
    assert ctypes.sizeof(_records.CameraInfo) == int(sizes["PixoraCameraInfo"]) == 36
    assert ctypes.sizeof(_records.FrameInfo) == int(sizes["PixoraFrameInfo"])
    assert ctypes.sizeof(_records.FrameMeta) == int(sizes["PixoraFrameMeta"])
    assert ctypes.sizeof(_records.FrameCounts) == int(sizes["PixoraFrameCounts"])
    assert ctypes.sizeof(_records.UsbDevice) == int(sizes["PixoraUsbDevice"])
    assert ctypes.sizeof(_records.StreamOptions) == int(sizes["PixoraStreamOptions"])
    assert ctypes.sizeof(_records.StreamMeta) == int(sizes["PixoraStreamMeta"])
    assert ctypes.sizeof(_records.StreamFrame) == int(sizes["PixoraStreamFrame"])
    assert ctypes.sizeof(_records.StreamStatus) == int(sizes["PixoraStreamStatus"])
    pointer = ctypes.sizeof(ctypes.c_void_p)
    assert ctypes.sizeof(_records.ControlValue) == 8 + 2 * pointer
    assert ctypes.sizeof(_records.ControlInfo) == 56 + 7 * pointer
    assert ctypes.sizeof(_records.SaveDepth) == 8 + pointer
    assert ctypes.sizeof(_records.SaveFormatInfo) == 16 + 5 * pointer
    # The virtual camera's status: 20 fields of 32 bits, as many as the header declares.
    body = re.search(r"typedef struct PixoraSimStatus \{(.*?)\}", text, re.S).group(1)
    assert ctypes.sizeof(_records.SimStatus) == 4 * body.count("int32_t")
    assert ctypes.sizeof(_records.Message) == 4 * ctypes.sizeof(ctypes.c_void_p)


def test_constants_have_the_headers_values():
    defines = dict(re.findall(r"#define (PIXORA_\w+) (0x[0-9A-Fa-f]+|\d+)", header_text()))
    families = {
        "PIXORA_ERR_": constants.ErrorCode,
        "PIXORA_SAVE_": constants.SaveFormat,
        "PIXORA_FILTER_": constants.Filter,
        "PIXORA_WM_": constants.WindowMessage,
        "PIXORA_SIM_SCENE_": constants.Scene,
        "PIXORA_SIM_FAULT_": constants.Fault,
        "PIXORA_LOG_": constants.LogLevel,
        "PIXORA_AUTO_IRIS_": constants.AutoIris,
    }
    for prefix, enumeration in families.items():
        named = {k[len(prefix) :]: int(v, 0) for k, v in defines.items() if k.startswith(prefix)}
        assert named == {member.name: member.value for member in enumeration}, prefix
    assert constants.DEVICE_NAME_ENTRY == int(defines["PIXORA_DEVICE_NAME_ENTRY"])
    assert constants.DEVICE_NAME_COUNT == int(defines["PIXORA_DEVICE_NAME_COUNT"])
    assert constants.SIM_CAMERA_SLOTS == int(defines["PIXORA_SIM_CAMERA_SLOTS"])


def test_the_log_handler_type_is_declared_with_the_headers_signature():
    assert header_callbacks() == {
        "PixoraLogHandler": ("void", ["int32_t", "char*", "void*"]),
    }
    assert fits("PixoraLogHandler", _binding.LOG_HANDLER)
    # A prototype that differs in one argument does not pass.
    wrong = ctypes.CFUNCTYPE(None, ctypes.c_int64, ctypes.c_char_p, ctypes.c_void_p)
    assert not fits("PixoraLogHandler", wrong)


def test_pointers_come_back_whole():
    library = _library.library()
    # A message window is a pointer: cut to 32 bits it would be no window at all.
    window = library.PixoraMsg_CreateWindow()
    assert window
    try:
        assert library.PixoraMsg_Post(window, 0x8000, 2**40 + 5, -7) == 1
        message = _records.Message()
        assert library.PixoraMsg_Get(window, ctypes.byref(message), 1000) == 1
        assert (message.window, message.message) == (window, 0x8000)
        assert (message.wParam, message.lParam) == (2**40 + 5, -7)
    finally:
        assert library.PixoraMsg_DestroyWindow(window) == 1
    assert library.PixoraEx_ErrorText(2).startswith(b"device not found")


def test_control_records_come_back_with_the_librarys_texts():
    library = _library.library()
    count = library.PixoraEx_GetControlCount()
    assert count >= 36
    names = set()
    for control_id in range(count):
        info = _records.new_record(_records.ControlInfo)
        assert library.PixoraEx_GetControlInfo(control_id, ctypes.byref(info)) == 1
        assert info.id == control_id
        assert info.name and info.label and info.description
        assert library.PixoraEx_FindControl(info.name) == control_id
        names.add(info.name.decode())
        values = [info.values[i] for i in range(info.valueCount)]
        assert [v.value for v in values] == sorted(v.value for v in values)
    assert {"gamma", "auto-iris", "offset-x", "width"} <= names

    def info(name):
        record = _records.new_record(_records.ControlInfo)
        assert library.PixoraEx_GetControlInfo(library.PixoraEx_FindControl(name), record) == 1
        return record

    auto_iris = info(b"auto-iris")
    values = [auto_iris.values[i].name for i in range(auto_iris.valueCount)]
    assert values == [b"off", b"exposure", b"gain"]
    gain = info(b"gain")
    assert gain.name == b"global-gain"
    assert gain.aliases[0] == b"gain" and gain.aliases[1] is None


def test_save_format_records_come_back_with_the_librarys_texts():
    library = _library.library()
    formats = {}
    for index in range(library.PixoraEx_GetSaveFormatCount()):
        info = _records.new_record(_records.SaveFormatInfo)
        assert library.PixoraEx_GetSaveFormatInfo(index, ctypes.byref(info)) == 1
        extensions = []
        while info.extensions[len(extensions)] is not None:
            extensions.append(info.extensions[len(extensions)])
        depths = {info.depths[i].bitsPerPixel for i in range(info.depthCount)}
        formats[info.name.decode()] = (info.code, info.quality, extensions, depths)
    assert {member.value for member in constants.SaveFormat} <= {f[0] for f in formats.values()}
    assert formats["jpeg70"][:3] == (constants.SaveFormat.JPEG_70, 70, [b".jpg", b".jpeg"])
    assert formats["tiff"][2] == [b".tif", b".tiff"]
    assert formats["png"][3] == {8, 16, 24, 32, 48, 64}


def test_library_and_package_versions_agree():
    # Both are the project's version, set in CMakeLists.txt only.
    cmake = (INCLUDE.parent / "CMakeLists.txt").read_text()
    project = re.search(r"project\(\w+ VERSION ([0-9.]+)", cmake)
    assert pixora.library_version() == pixora.__version__ == project.group(1)
    assert pathlib.Path(pixora.library_path()).exists()

"""The native calvoro library through ctypes: finding it, the C functions' prototypes, and the
translation of identifiers, texts and statuses. Nothing here decides a rule of the library."""
import ctypes
import ctypes.util
import os
import pathlib
import struct
import sys
import uuid

from ._errors import GuidParseError, LibraryNotFoundError, PlatformError, RegistryAccessError

OK = 0
NULL_POINTER = 1
BUFFER_TOO_SMALL = 2
GUID_PARSE = 3
REGISTRY_ACCESS = 4
PLATFORM = 5
INVALID_ARGUMENT = 6
OUT_OF_MEMORY = 7


class Guid(ctypes.Structure):
    """calvoro_guid: the 16-byte identifier record."""

    _fields_ = [
        ("Data1", ctypes.c_uint32),
        ("Data2", ctypes.c_uint16),
        ("Data3", ctypes.c_uint16),
        ("Data4", ctypes.c_uint8 * 8),
    ]


def to_c(identifier):
    if not isinstance(identifier, uuid.UUID):
        raise TypeError(f"a plan identifier is a uuid.UUID, not {type(identifier).__name__}")
    data1, data2, data3 = struct.unpack(">IHH", identifier.bytes[:8])
    return Guid(data1, data2, data3, (ctypes.c_uint8 * 8)(*identifier.bytes[8:]))


def from_c(guid):
    return uuid.UUID(bytes=struct.pack(">IHH", guid.Data1, guid.Data2, guid.Data3) + bytes(guid.Data4))


def units(text, what):
    """`text` as UTF-16 code units: a buffer (never null) and its length in code units.
    Lone surrogates pass as they are, so that every name round-trips."""
    if not isinstance(text, str):
        raise TypeError(f"{what} is a str, not {type(text).__name__}")
    data = text.encode("utf-16-le", "surrogatepass")
    buffer = ctypes.create_string_buffer(data, len(data) + 2)
    return ctypes.cast(buffer, ctypes.POINTER(ctypes.c_uint16)), len(data) // 2


def text_of(buffer, length):
    return ctypes.string_at(buffer, length * 2).decode("utf-16-le", "surrogatepass")


def _candidates(environ):
    """Where the native library may be, in the order it is looked for."""
    names = {"win32": ["calvoro.dll"], "darwin": ["libcalvoro.dylib"]}.get(
        sys.platform, ["libcalvoro.so", "libcalvoro.so.0"])
    found = []
    if environ.get("CALVORO_LIBRARY"):
        found.append(("CALVORO_LIBRARY", environ["CALVORO_LIBRARY"]))
    here = pathlib.Path(__file__).resolve().parent
    found += [("beside the package", str(here / name)) for name in names]
    system = ctypes.util.find_library("calvoro")
    found += [("the system's loader", name) for name in ([system] if system else []) + names]
    return found


def load(environ=None):
    """The native library; LibraryNotFoundError naming every place tried when none loads."""
    tried = []
    for where, name in _candidates(os.environ if environ is None else environ):
        try:
            return ctypes.CDLL(name)
        except OSError as error:
            tried.append(f"  {where}: {name} ({error})")
    raise LibraryNotFoundError("the native calvoro library was not found; tried:\n" + "\n".join(tried))


_library = None


def library():
    """The loaded library with its prototypes, loaded on first use."""
    global _library
    if _library is None:
        _library = _declare(load())
    return _library


_P = ctypes.POINTER
_U16 = _P(ctypes.c_uint16)
_GUID = _P(Guid)
_I32, _U32, _U64 = ctypes.c_int32, ctypes.c_uint32, ctypes.c_uint64

_PROTOTYPES = {
    "calvoro_Version": (ctypes.c_char_p, []),
    "calvoro_LastErrorMessage": (ctypes.c_char_p, []),
    "calvoro_NoPowerSchemeGuid": (_I32, [_GUID]),
    "calvoro_ToGUID": (_I32, [_GUID, _GUID]),
    "calvoro_EnumPowerSchemeGuid": (_I32, [_U32, _GUID]),
    "calvoro_ReadPowerSchemeName": (_I32, [_GUID, _U16, _U32, _P(_U32), _P(_I32)]),
    "calvoro_WritePowerSchemeNameDescription": (_I32, [_GUID, _U16, _U32, _U16, _U32, _P(_I32)]),
    "calvoro_GetDefaultPlaneGUID": (_I32, [_I32, _GUID]),
}
for _name in ("Sleep", "Hibernation", "Display"):
    _PROTOTYPES[f"calvoro_Get{_name}Timer"] = (_I32, [_GUID, _I32, _P(_U32)])
    _PROTOTYPES[f"calvoro_Set{_name}Timer"] = (_I32, [_GUID, _I32, _U32, _P(_I32)])


class SimPlan(ctypes.Structure):
    """calvoro_sim_plan."""

    _fields_ = [("id", Guid)] + [(name, _U32 * 2) for name in ("sleep", "hibernate", "display")]


class SimRegistryValue(ctypes.Structure):
    """calvoro_sim_registry_value."""

    _fields_ = [("found", _I32), ("kind", _I32), ("number", _U32), ("textLength", _U32),
                ("byteCount", _U32)]


_KEY = [_U16, _U32]
_KEY_VALUE = _KEY + [_U16, _U32]
_SIM_PROTOTYPES = {
    "calvoro_sim_Reset": [],
    "calvoro_sim_PlanAt": [_U32, _P(SimPlan), _U16, _U32, _P(_U32), _U16, _U32, _P(_U32), _P(_I32)],
    "calvoro_sim_AddPlan": [_P(SimPlan), _U16, _U32, _U16, _U32, _P(_I32)],
    "calvoro_sim_RemovePlan": [_GUID, _P(_I32)],
    "calvoro_sim_ReadSeconds": [_GUID, _I32, _I32, _P(_U32), _P(_I32)],
    "calvoro_sim_WriteSeconds": [_GUID, _I32, _I32, _U32, _P(_I32)],
    "calvoro_sim_InjectStatus": [_I32, _U32, _I32, _U32],
    "calvoro_sim_InjectException": [_I32, ctypes.c_char_p, _I32, _U32],
    "calvoro_sim_ClearFaults": [],
    "calvoro_sim_Allocations": [_P(_U64), _P(_U64)],
    "calvoro_sim_RegistryKeys": [_P(_U64), _P(_U64)],
    "calvoro_sim_SetRegistryString": _KEY_VALUE + [_U16, _U32],
    "calvoro_sim_SetRegistryNumber": _KEY_VALUE + [_U32],
    "calvoro_sim_SetRegistryBinary": _KEY_VALUE + [_P(ctypes.c_uint8), _U32],
    "calvoro_sim_GetRegistryValue": _KEY_VALUE + [_P(SimRegistryValue), _U16, _U32,
                                                  _P(ctypes.c_uint8), _U32],
    "calvoro_sim_DeleteRegistryValue": _KEY_VALUE + [_P(_I32)],
    "calvoro_sim_DeleteRegistryKey": _KEY + [_P(_I32)],
    "calvoro_sim_RefuseKeyAccess": _KEY,
    "calvoro_sim_RefuseValueAccess": _KEY_VALUE,
    "calvoro_sim_Snapshot": [_P(ctypes.c_void_p)],
    "calvoro_sim_Restore": [ctypes.c_void_p],
}


def _declare(lib):
    for name, (result, arguments) in _PROTOTYPES.items():
        function = getattr(lib, name)
        function.restype, function.argtypes = result, arguments
    # A Windows build has no simulated platform: its controls are simply absent.
    for name, arguments in _SIM_PROTOTYPES.items():
        function = getattr(lib, name, None)
        if function is not None:
            function.restype, function.argtypes = _I32, arguments
    free = getattr(lib, "calvoro_sim_FreeState", None)
    if free is not None:
        free.restype, free.argtypes = None, [ctypes.c_void_p]
    return lib


def check(status):
    """Raises the exception that a status other than OK stands for."""
    if status == OK:
        return
    message = (library().calvoro_LastErrorMessage() or b"").decode("utf-8", "replace")
    raise {
        GUID_PARSE: GuidParseError,
        REGISTRY_ACCESS: RegistryAccessError,
        PLATFORM: PlatformError,
        OUT_OF_MEMORY: MemoryError,
        INVALID_ARGUMENT: ValueError,
    }.get(status, RuntimeError)(message)

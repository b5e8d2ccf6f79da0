"""The native calvoro library through ctypes: finding it, the C functions' prototypes, and the
translation of identifiers, texts and statuses. Nothing here decides a rule of the library."""
import ctypes
import ctypes.util
import os
import pathlib
import struct
import sys
import threading
import uuid

from ._errors import (DocumentError, GuidParseError, LibraryNotFoundError, LibraryVersionError,
                      PlatformError, RegistryAccessError)
from ._version import __version__

OK = 0
NULL_POINTER = 1
BUFFER_TOO_SMALL = 2
GUID_PARSE = 3
REGISTRY_ACCESS = 4
PLATFORM = 5
INVALID_ARGUMENT = 6
OUT_OF_MEMORY = 7
DOCUMENT = 8


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


def read_units(function):
    """The text that `function(buffer, capacity, length)` writes as UTF-16 code units, read
    again at the reported length whenever it outgrew the buffer."""
    length, capacity = ctypes.c_uint32(), 128
    while True:
        buffer = (ctypes.c_uint16 * capacity)()
        status = function(buffer, capacity, ctypes.byref(length))
        if status != BUFFER_TOO_SMALL:
            break
        capacity = length.value + 1
    check(status)
    return text_of(buffer, length.value)


def read_text(function, guid):
    """A plan's text that `function` reads into a buffer (a name, a description): None when it
    is absent; read again at the reported length whenever it outgrew the buffer."""
    length, present = ctypes.c_uint32(), ctypes.c_int32()
    capacity = 128
    while True:
        buffer = (ctypes.c_uint16 * capacity)()
        status = function(ctypes.byref(guid), buffer, capacity, ctypes.byref(length),
                          ctypes.byref(present))
        if status != BUFFER_TOO_SMALL:
            break
        capacity = length.value + 1
    check(status)
    return text_of(buffer, length.value) if present.value else None


REAL, SIMULATED = "real", "simulated"


def file_name(flavor, platform=None):
    """The native library's file name on a platform (sys.platform's spelling)."""
    windows = (platform or sys.platform) == "win32"
    if flavor == REAL:
        return "calvoro.dll" if windows else None
    return "calvoro_simulated.dll" if windows else "libcalvoro_simulated.so"


def candidates(flavor, environ, platform=None):
    """Where the native library may be, in the order it is looked for: the library that this
    package carries, then the system's loader; CALVORO_LIBRARY, when set, instead of both."""
    if environ.get("CALVORO_LIBRARY"):
        return [("CALVORO_LIBRARY", environ["CALVORO_LIBRARY"])]
    found = []
    name = file_name(flavor, platform)
    if name is None:
        return found
    found.append(("beside the package", str(pathlib.Path(__file__).resolve().parent / name)))
    stem = name.split(".")[0]
    system = ctypes.util.find_library(stem[3:] if stem.startswith("lib") else stem)
    found += [("the system's loader", each) for each in dict.fromkeys(filter(None, [system, name]))]
    return found


def check_version(number, path, package_version):
    """Refuses a library whose major version is not this package's."""
    major, minor, patch = number // 1000000, number // 1000 % 1000, number % 1000
    if str(major) != package_version.split(".")[0]:
        raise LibraryVersionError(
            f"the native library {path} is calvoro {major}.{minor}.{patch}, but this package is "
            f"calvoro {package_version}: their major versions differ, so they do not work together")


def load(flavor, environ=None):
    """The native library of `flavor`, checked; LibraryNotFoundError naming every place tried
    when none loads."""
    environ = os.environ if environ is None else environ
    tried = []
    for where, name in candidates(flavor, environ):
        try:
            library = ctypes.CDLL(name)
        except OSError as error:
            tried.append(f"  {where}: {name} ({error})")
            continue
        version = getattr(library, "calvoro_VersionNumber", None)
        if version is None:
            raise LibraryVersionError(f"{name} is no calvoro library: it has no calvoro_VersionNumber")
        version.restype, version.argtypes = ctypes.c_uint32, []
        check_version(version(), name, __version__)
        return library
    if flavor == REAL and file_name(REAL) is None:
        tried.append("  calvoro's real platform is Windows' power-plan API, which this system lacks")
    raise LibraryNotFoundError(f"the native calvoro library ({flavor}) was not found; tried:\n" +
                               "\n".join(tried))


class Selection:
    """Which library the process uses: the real one on Windows unless the simulation was asked
    for (simulation.use() or CALVORO_SIMULATION=1) before the first call; the simulated one
    elsewhere. Once a library is loaded the choice is final, so that a process never mixes the
    real platform with the simulated one."""

    def __init__(self, real_platform_exists, simulation_requested, opener):
        self._real_platform_exists = real_platform_exists
        self._simulation_requested = simulation_requested
        self._open = opener
        self._lock = threading.Lock()
        self.flavor = None
        self.library = None

    def get(self):
        if self.library is None:
            with self._lock:
                if self.library is None:
                    flavor = (SIMULATED if self._simulation_requested or not self._real_platform_exists
                              else REAL)
                    self.library, self.flavor = self._open(flavor), flavor
        return self.library

    def use_simulation(self):
        with self._lock:
            if self.flavor == REAL:
                raise RuntimeError(
                    "calvoro already uses Windows' real power plans in this process, so it cannot "
                    "switch to the simulated machine: call calvoro.simulation.use() (or set "
                    "CALVORO_SIMULATION=1) before the first call of PowerClass")
            self._simulation_requested = True


selection = Selection(sys.platform == "win32", os.environ.get("CALVORO_SIMULATION") == "1",
                      lambda flavor: _declare(load(flavor)))


def library():
    """The loaded library with its prototypes, loaded on first use."""
    return selection.get()


_P = ctypes.POINTER
_U16 = _P(ctypes.c_uint16)
_GUID = _P(Guid)
_I32, _U32, _U64 = ctypes.c_int32, ctypes.c_uint32, ctypes.c_uint64

_PROTOTYPES = {
    "calvoro_Version": (ctypes.c_char_p, []),
    "calvoro_StatusName": (ctypes.c_char_p, [_I32]),
    "calvoro_LastErrorMessage": (ctypes.c_char_p, []),
    "calvoro_NoPowerSchemeGuid": (_I32, [_GUID]),
    "calvoro_ToGUID": (_I32, [_GUID, _GUID]),
    "calvoro_EnumPowerSchemeGuid": (_I32, [_U32, _GUID]),
    "calvoro_ReadPowerSchemeName": (_I32, [_GUID, _U16, _U32, _P(_U32), _P(_I32)]),
    "calvoro_WritePowerSchemeNameDescription": (_I32, [_GUID, _U16, _U32, _U16, _U32, _P(_I32)]),
    "calvoro_GetDefaultPlaneGUID": (_I32, [_I32, _GUID]),
}


class PlanLookupRecord(ctypes.Structure):
    """calvoro_plan_lookup."""

    _fields_ = [("outcome", _I32), ("reading", _I32), ("identified", _I32), ("identifier", Guid)]


class PowerSourceRecord(ctypes.Structure):
    """calvoro_power_source."""

    _fields_ = [("source", _I32), ("batteryPresent", _I32), ("modernStandby", _I32)]


class PowerModeRecord(ctypes.Structure):
    """calvoro_power_mode."""

    _fields_ = [("outcome", _I32), ("mode", _I32), ("guid", Guid), ("status", _U32)]


class WatchDecisionRecord(ctypes.Structure):
    """calvoro_watch_decision."""

    _fields_ = [("time", ctypes.c_int64), ("trigger", _I32), ("source", _I32), ("hasPlan", _I32),
                ("plan", Guid), ("action", _I32)]


#: calvoro_watch_callback
WATCH_CALLBACK = ctypes.CFUNCTYPE(None, _P(WatchDecisionRecord), ctypes.c_void_p)

_PROTOTYPES.update({
    "calvoro_ApplyRecordedPlan": (_I32, [_P(WatchDecisionRecord)]),
    "calvoro_StartWatcher": (_I32, [_U32, WATCH_CALLBACK, ctypes.c_void_p,
                                    _P(ctypes.c_void_p)]),
    "calvoro_StopWatcher": (_I32, [ctypes.c_void_p]),
    "calvoro_ActivePlanPinnedByPolicy": (_I32, [_P(_I32)]),
    "calvoro_ReadPowerSource": (_I32, [_P(PowerSourceRecord)]),
    "calvoro_GetPowerMode": (_I32, [_I32, _P(PowerModeRecord)]),
    "calvoro_SetPowerMode": (_I32, [_I32, _I32, _P(_I32)]),
    "calvoro_GetActivePlan": (_I32, [_GUID, _P(_I32)]),
    "calvoro_ActivatePlan": (_I32, [_GUID, _P(_I32)]),
    "calvoro_ReadPlanDescription": (_I32, [_GUID, _U16, _U32, _P(_U32), _P(_I32)]),
    "calvoro_FindPlan": (_I32, [_U16, _U32, _P(PlanLookupRecord), _GUID, _U32, _P(_U32)]),
    "calvoro_SameIgnoringCase": (_I32, [_U16, _U32, _U16, _U32, _P(_I32)]),
    "calvoro_SetDefaultPlan": (_I32, [_I32, _GUID]),
    "calvoro_ClearDefaultPlan": (_I32, [_I32, _P(_I32)]),
})


class SettingResult(ctypes.Structure):
    """calvoro_setting_result."""

    _fields_ = [("outcome", _I32), ("status", _U32), ("reapplied", _I32)]


class SettingId(ctypes.Structure):
    """calvoro_setting_id."""

    _fields_ = [("subgroup", Guid), ("setting", Guid)]


class SettingInfo(ctypes.Structure):
    """calvoro_setting_info."""

    _fields_ = [("id", SettingId), ("hidden", _I32), ("ranged", _I32), ("min", _U32),
                ("max", _U32), ("increment", _U32), ("valueCount", _U32), ("hasAcDefault", _I32),
                ("acDefault", _U32), ("hasDcDefault", _I32), ("dcDefault", _U32)]


class DocumentChangeRecord(ctypes.Structure):
    """calvoro_document_change."""

    _fields_ = [("kind", _I32), ("plan", Guid), ("subgroup", Guid), ("setting", Guid),
                ("onAC", _I32), ("value", _U32), ("from_", _U32), ("to", _U32),
                ("source", Guid)]


class PlanTemplateRecord(ctypes.Structure):
    """calvoro_plan_template."""

    _fields_ = [("id", Guid), ("standard", _I32)]


class PlanResultRecord(ctypes.Structure):
    """calvoro_plan_result."""

    _fields_ = [("outcome", _I32), ("plan", Guid), ("status", _U32), ("records", _I32)]


_HANDLE = ctypes.c_void_p
_RESULT = _P(SettingResult)
_PROTOTYPES.update({
    "calvoro_PowerSettingsSupported": (_I32, [_P(_I32)]),
    "calvoro_ListSettings": (_I32, [_GUID, _RESULT, _P(_HANDLE)]),
    "calvoro_FindSetting": (_I32, [_GUID, _U16, _U32, _RESULT, _P(_HANDLE)]),
    "calvoro_FreeSettings": (_I32, [_HANDLE]),
    "calvoro_SettingCount": (_I32, [_HANDLE, _P(_U32)]),
    "calvoro_SettingInfo": (_I32, [_HANDLE, _U32, _P(SettingInfo)]),
    "calvoro_SettingText": (_I32, [_HANDLE, _U32, _I32, _U16, _U32, _P(_U32)]),
    "calvoro_PossibleValue": (_I32, [_HANDLE, _U32, _U32, _I32, _P(_U32), _U16, _U32, _P(_U32)]),
    "calvoro_SettingValueFromText": (_I32, [_HANDLE, _U32, _U16, _U32, _P(_I32), _P(_U32)]),
    "calvoro_ReadSetting": (_I32, [_GUID, _P(SettingId), _RESULT, _P(_U32), _P(_U32)]),
    "calvoro_WriteSetting": (_I32, [_GUID, _P(SettingId), _I32, _U32, _RESULT]),
    "calvoro_SetSettingHidden": (_I32, [_P(SettingId), _I32, _RESULT]),
    "calvoro_ExportPlans": (_I32, [_GUID, _U32, ctypes.c_char_p, _U32, _P(_U32)]),
    "calvoro_ReadDocument": (_I32, [ctypes.c_char_p, _U32, _I32, _P(_HANDLE)]),
    "calvoro_FreeDocument": (_I32, [_HANDLE]),
    "calvoro_DocumentCount": (_I32, [_HANDLE, _P(_U32)]),
    "calvoro_DocumentChange": (_I32, [_HANDLE, _U32, _P(DocumentChangeRecord)]),
    "calvoro_DocumentText": (_I32, [_HANDLE, _U32, _I32, _U16, _U32, _P(_U32)]),
    "calvoro_ApplyDocumentChange": (_I32, [_HANDLE, _U32, _RESULT]),
    "calvoro_PlanTemplates": (_I32, [_P(PlanTemplateRecord), _U32, _P(_U32)]),
    "calvoro_PlanTemplateName": (_I32, [_U32, _U16, _U32, _P(_U32)]),
    "calvoro_FindPlanOrTemplate": (_I32, [_U16, _U32, _P(PlanLookupRecord), _GUID, _U32,
                                          _P(_U32), _P(_I32)]),
    "calvoro_DuplicatePlan": (_I32, [_GUID, _GUID, _U16, _U32, _U16, _U32,
                                     _P(PlanResultRecord)]),
    "calvoro_DeletePlan": (_I32, [_GUID, _P(PlanResultRecord)]),
    "calvoro_RestoreDefaultPlans": (_I32, [_P(PlanResultRecord)]),
    "calvoro_RestorePlanDefaults": (_I32, [_GUID, _I32, _P(PlanResultRecord)]),
})
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


class SimPower(ctypes.Structure):
    """calvoro_sim_power."""

    _fields_ = [("source", _I32), ("batteryPresent", _I32), ("modernStandby", _I32),
                ("acMode", Guid), ("dcMode", Guid)]


_KEY = [_U16, _U32]
_KEY_VALUE = _KEY + [_U16, _U32]
_SIM_PROTOTYPES = {
    "calvoro_sim_Reset": [],
    "calvoro_sim_PlanCount": [ctypes.c_void_p, _P(_U32)],
    "calvoro_sim_PlanAt": [ctypes.c_void_p, _U32, _P(SimPlan), _U16, _U32, _P(_U32), _U16, _U32,
                           _P(_U32), _P(_I32)],
    "calvoro_sim_AddPlan": [_P(SimPlan), _U16, _U32, _U16, _U32, _P(_I32)],
    "calvoro_sim_RemovePlan": [_GUID, _P(_I32)],
    "calvoro_sim_ReadSeconds": [_GUID, _I32, _I32, _P(_U32), _P(_I32)],
    "calvoro_sim_WriteSeconds": [_GUID, _I32, _I32, _U32, _P(_I32)],
    "calvoro_sim_InjectStatus": [_I32, _U32, _I32, _U32],
    "calvoro_sim_InjectException": [_I32, ctypes.c_char_p, _I32, _U32],
    "calvoro_sim_ClearFaults": [],
    "calvoro_sim_GetPower": [_P(SimPower)],
    "calvoro_sim_SetPower": [_P(SimPower)],
    "calvoro_sim_Resume": [],
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
    # Only the simulated library has the simulation's controls.
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
    if status in (NULL_POINTER, BUFFER_TOO_SMALL) or status > DOCUMENT:
        # The binding's own mistake, not the caller's: say which status it was.
        message = f"{library().calvoro_StatusName(status).decode('ascii')} ({status}): {message}"
    raise {
        GUID_PARSE: GuidParseError,
        REGISTRY_ACCESS: RegistryAccessError,
        PLATFORM: PlatformError,
        OUT_OF_MEMORY: MemoryError,
        INVALID_ARGUMENT: ValueError,
        DOCUMENT: DocumentError,
    }.get(status, RuntimeError)(message)

"""The simulated platform: an in-memory machine that answers as Windows' power plans do, for
tests on any system. Put it into a known state, then use calvoro.PowerClass as usual. On
Windows, call use() (or set CALVORO_SIMULATION=1) before the first call of PowerClass; any
other function here does the same on its first use. Elsewhere it is the only platform.

    >>> from calvoro import simulation
    >>> simulation.use()
    >>> simulation.reset()
    >>> simulation.set_registry_value(simulation.DEFAULT_PLAN_KEY, "AC", "{...}")
    >>> with simulation.snapshot() as seeded:
    ...     ...                                        # change the machine
    ...     seeded.restore()
"""
import ctypes
import dataclasses
import enum
import uuid
from typing import List, Optional, Union

from . import _native
from ._plans import SOURCES, PowerSource

DEFAULT_PLAN_KEY = "Software\\Quandrel\\Zephlo\\PowerPolicies\\DEV_DEFAULT_PLANE"


class Operation(enum.IntEnum):
    """The platform operations whose answers can be forced."""
    PowerEnumerate = 0
    PowerReadFriendlyName = 1
    PowerWriteFriendlyName = 2
    PowerWriteDescription = 3
    PowerReadACValueIndex = 4
    PowerReadDCValueIndex = 5
    PowerWriteACValueIndex = 6
    PowerWriteDCValueIndex = 7
    LocalAlloc = 8  # any injected status makes the allocation fail
    PowerGetActiveScheme = 9
    PowerSetActiveScheme = 10
    PowerReadDescription = 11
    CallNtPowerInformation = 12
    PowerGetUserConfiguredPowerMode = 13
    PowerSetUserConfiguredPowerMode = 14
    PowerSettingAccessCheckEx = 15


class Timeout(enum.IntEnum):
    SLEEP = 0
    HIBERNATE = 1
    DISPLAY = 2


class Repeat(enum.IntEnum):
    ONCE = 0    # on one call of the operation only
    ALWAYS = 1  # on every call from then on, until clear_faults()


@dataclasses.dataclass
class Plan:
    """One plan as the machine stores it; each timeout is (seconds on AC, seconds on DC)."""
    id: uuid.UUID
    name: str = ""
    description: str = ""
    sleep: tuple = (0, 0)
    hibernate: tuple = (0, 0)
    display: tuple = (0, 0)


@dataclasses.dataclass(frozen=True)
class Counts:
    """Blocks made and still live, or registry keys opened and still open."""
    total: int
    outstanding: int


def use() -> None:
    """Makes this process use the simulated machine: call it before the first call of
    PowerClass. Every other function here does the same on its first use. On Windows, the
    real power plans serve until then; after the process used them, this raises RuntimeError
    rather than mix the two."""
    _native.selection.use_simulation()
    _native.library()


def _function(name):
    use()
    return getattr(_native.library(), name)


def _call(name, *arguments):
    _native.check(_function(name)(*arguments))


def _flag(name, *arguments):
    flag = ctypes.c_int32()
    _call(name, *arguments, ctypes.byref(flag))
    return bool(flag.value)


def _key(key_path, value_name=None):
    arguments = list(_native.units(key_path, "key_path"))
    if value_name is not None:
        arguments += _native.units(value_name, "value_name")
    return arguments


def reset() -> None:
    """Back to the seeded machine: Balanced, High performance and Power saver; no faults."""
    _call("calvoro_sim_Reset")


def plans() -> List[Plan]:
    """The plans in the platform's order, read from one snapshot of the machine."""
    with Snapshot() as state:
        return state.plans()


def add_plan(plan: Plan) -> bool:
    """Appends `plan`; False, changing nothing, when a plan with its id exists."""
    values = _native.SimPlan(_native.to_c(plan.id),
                             *((ctypes.c_uint32 * 2)(*getattr(plan, t))
                               for t in ("sleep", "hibernate", "display")))
    return _flag("calvoro_sim_AddPlan", ctypes.byref(values), *_native.units(plan.name, "name"),
                 *_native.units(plan.description, "description"))


def remove_plan(id: uuid.UUID) -> bool:
    """Removes the plan; False when there is no such plan."""
    return _flag("calvoro_sim_RemovePlan", ctypes.byref(_native.to_c(id)))


def read_seconds(plan: uuid.UUID, timeout: Timeout, on_ac: bool) -> Optional[int]:
    """The stored seconds of one timeout, or None when there is no such plan."""
    seconds = ctypes.c_uint32()
    found = _flag("calvoro_sim_ReadSeconds", ctypes.byref(_native.to_c(plan)), Timeout(timeout),
                  1 if on_ac else 0, ctypes.byref(seconds))
    return seconds.value if found else None


def write_seconds(plan: uuid.UUID, timeout: Timeout, on_ac: bool, seconds: int) -> bool:
    """Stores seconds directly; False when there is no such plan."""
    return _flag("calvoro_sim_WriteSeconds", ctypes.byref(_native.to_c(plan)), Timeout(timeout),
                 1 if on_ac else 0, seconds)


def inject_status(operation: Operation, status: int, repeat: Repeat = Repeat.ONCE,
                  calls_to_skip: int = 0) -> None:
    """Makes the operation return `status` instead of doing its work, after `calls_to_skip`
    calls; replaces any fault injected for it before."""
    _call("calvoro_sim_InjectStatus", Operation(operation), status, Repeat(repeat), calls_to_skip)


def inject_exception(operation: Operation, message: str, repeat: Repeat = Repeat.ONCE,
                     calls_to_skip: int = 0) -> None:
    """Makes the operation raise an exception with `message`; PowerClass then raises
    calvoro.PlatformError with it."""
    _call("calvoro_sim_InjectException", Operation(operation), message.encode("utf-8"),
          Repeat(repeat), calls_to_skip)


def clear_faults() -> None:
    """Removes every injected fault."""
    _call("calvoro_sim_ClearFaults")


_BALANCED_MODE = uuid.UUID(int=0)


@dataclasses.dataclass
class PowerState:
    """What the machine runs on, and its power modes' identifiers (balanced is all zero)."""
    source: PowerSource = PowerSource.AC
    battery_present: bool = True
    modern_standby: bool = False
    ac_mode: uuid.UUID = _BALANCED_MODE
    dc_mode: uuid.UUID = _BALANCED_MODE


def power() -> PowerState:
    """The machine's power state: on AC, a battery, no Modern Standby, balanced when seeded."""
    record = _native.SimPower()
    _call("calvoro_sim_GetPower", ctypes.byref(record))
    return PowerState(SOURCES[record.source], bool(record.batteryPresent),
                      bool(record.modernStandby), _native.from_c(record.acMode),
                      _native.from_c(record.dcMode))


def set_power(state: PowerState) -> None:
    """Replaces the machine's power state."""
    record = _native.SimPower(SOURCES.index(state.source), int(state.battery_present),
                              int(state.modern_standby), _native.to_c(state.ac_mode),
                              _native.to_c(state.dc_mode))
    _call("calvoro_sim_SetPower", ctypes.byref(record))


def resume() -> None:
    """The machine wakes from sleep: its watchers are told of a resume. (A change of source by
    set_power tells them of that.)"""
    _call("calvoro_sim_Resume")


def _counts(name):
    total, outstanding = ctypes.c_uint64(), ctypes.c_uint64()
    _call(name, ctypes.byref(total), ctypes.byref(outstanding))
    return Counts(total.value, outstanding.value)


def allocations() -> Counts:
    """Name blocks handed out so far (total) and not yet released (outstanding)."""
    return _counts("calvoro_sim_Allocations")


def registry_keys() -> Counts:
    """Registry keys opened so far (total) and not yet closed (outstanding)."""
    return _counts("calvoro_sim_RegistryKeys")


def set_registry_value(key_path: str, value_name: str, value: Union[str, int, bytes]) -> None:
    """Sets a value of the current user's registry, creating its key: a str is a string value,
    an int a number value, bytes a binary value."""
    key = _key(key_path, value_name)
    if isinstance(value, str):
        _call("calvoro_sim_SetRegistryString", *key, *_native.units(value, "value"))
    elif isinstance(value, bool) or not isinstance(value, (int, bytes, bytearray)):
        raise TypeError(f"a registry value is a str, int or bytes, not {type(value).__name__}")
    elif isinstance(value, int):
        if not 0 <= value <= 0xFFFFFFFF:
            raise ValueError(f"a number value is from 0 to 4294967295, not {value}")
        _call("calvoro_sim_SetRegistryNumber", *key, value)
    else:
        data = (ctypes.c_uint8 * len(value)).from_buffer_copy(bytes(value)) if value else None
        _call("calvoro_sim_SetRegistryBinary", *key, data, len(value))


def get_registry_value(key_path: str, value_name: str) -> Union[str, int, bytes, None]:
    """The value (str, int or bytes), or None when the key or the value does not exist."""
    key = _key(key_path, value_name)
    while True:
        info = _native.SimRegistryValue()
        _call("calvoro_sim_GetRegistryValue", *key, ctypes.byref(info), None, 0, None, 0)
        if not info.found:
            return None
        text = (ctypes.c_uint16 * (info.textLength + 1))()
        data = (ctypes.c_uint8 * (info.byteCount + 1))()
        status = _function("calvoro_sim_GetRegistryValue")(
            *key, ctypes.byref(info), text, len(text), data, len(data))
        if status == _native.BUFFER_TOO_SMALL:
            continue  # changed in between: read it again
        _native.check(status)
        if not info.found:
            return None
        return [lambda: _native.text_of(text, info.textLength), lambda: info.number,
                lambda: bytes(data[:info.byteCount])][info.kind]()


def delete_registry_value(key_path: str, value_name: str) -> bool:
    """Deletes one value; False when there was none."""
    return _flag("calvoro_sim_DeleteRegistryValue", *_key(key_path, value_name))


def delete_registry_key(key_path: str) -> bool:
    """Deletes a key with its values; False when there was none."""
    return _flag("calvoro_sim_DeleteRegistryKey", *_key(key_path))


def refuse_key_access(key_path: str) -> None:
    """Makes opening the key fail with access denied (creating it when needed)."""
    _call("calvoro_sim_RefuseKeyAccess", *_key(key_path))


def refuse_value_access(key_path: str, value_name: str) -> None:
    """Makes reading one value of the key fail with access denied."""
    _call("calvoro_sim_RefuseValueAccess", *_key(key_path, value_name))


class Snapshot:
    """The machine's stored state (plans and registry), taken by snapshot(). A context
    manager: the state is released on leaving it, or by close()."""

    def __init__(self):
        self._state = ctypes.c_void_p()
        _call("calvoro_sim_Snapshot", ctypes.byref(self._state))

    def restore(self) -> None:
        """Puts the state back; refused access is lifted, faults stay."""
        _call("calvoro_sim_Restore", self._taken())

    def plans(self) -> List[Plan]:
        """The plans of this state, in the platform's order."""
        count = ctypes.c_uint32()
        _call("calvoro_sim_PlanCount", self._taken(), ctypes.byref(count))
        return [self._plan_at(index) for index in range(count.value)]

    def _plan_at(self, index: int) -> Plan:
        # The lengths first, then the texts: the state does not change in between.
        values, found = _native.SimPlan(), ctypes.c_int32()
        lengths = ctypes.c_uint32(), ctypes.c_uint32()
        _call("calvoro_sim_PlanAt", self._state, index, ctypes.byref(values), None, 0,
              ctypes.byref(lengths[0]), None, 0, ctypes.byref(lengths[1]), ctypes.byref(found))
        name, description = ((ctypes.c_uint16 * (length.value + 1))() for length in lengths)
        _call("calvoro_sim_PlanAt", self._state, index, ctypes.byref(values), name, len(name),
              ctypes.byref(lengths[0]), description, len(description), ctypes.byref(lengths[1]),
              ctypes.byref(found))
        return Plan(_native.from_c(values.id), _native.text_of(name, lengths[0].value),
                    _native.text_of(description, lengths[1].value),
                    *(tuple(getattr(values, t)) for t in ("sleep", "hibernate", "display")))

    def _taken(self) -> ctypes.c_void_p:
        if not self._state:
            raise ValueError("this snapshot was closed")
        return self._state

    def close(self) -> None:
        if self._state:
            _function("calvoro_sim_FreeState")(self._state)
            self._state = ctypes.c_void_p()

    def __enter__(self) -> "Snapshot":
        return self

    def __exit__(self, *exception):
        self.close()

    def __del__(self):
        self.close()


def snapshot() -> "Snapshot":
    """Takes the machine's stored state."""
    return Snapshot()


def restore(state: "Snapshot") -> None:
    """Puts a taken state back (the same as state.restore())."""
    state.restore()

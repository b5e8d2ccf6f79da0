"""The library's own operations beside PowerClass: the active plan, a plan's description,
finding a plan by what a person types, and writing the default-plan record."""
import ctypes
import enum
import uuid
from dataclasses import dataclass
from typing import List, Optional, Union

from . import _native
from ._errors import RefusedError


class PowerSource(enum.Enum):
    """A power source. Defaults and modes are kept for AC and DC; power_source() may also
    say SHORT_TERM (a UPS) or UNKNOWN."""

    AC = "ac"  #: mains power
    DC = "dc"  #: battery
    SHORT_TERM = "ups"  #: a UPS's short-term batteries
    UNKNOWN = "unknown"  #: the platform cannot tell


# The sources in the order of the C constants (CALVORO_SOURCE_AC ...).
SOURCES = (PowerSource.AC, PowerSource.DC, PowerSource.SHORT_TERM, PowerSource.UNKNOWN)


class PowerMode(enum.Enum):
    """Windows 11's power modes, kept for AC and for DC."""

    BEST_POWER_EFFICIENCY = "efficiency"
    BALANCED = "balanced"
    BEST_PERFORMANCE = "performance"


_MODES = (PowerMode.BEST_POWER_EFFICIENCY, PowerMode.BALANCED, PowerMode.BEST_PERFORMANCE)


@dataclass(frozen=True)
class PowerSourceState:
    """What the machine runs on, and whether it is a Modern Standby machine (where Windows
    offers only Balanced, and the power mode is what changes)."""

    source: PowerSource
    battery_present: bool
    modern_standby: bool


@dataclass(frozen=True)
class InstalledPlan:
    """An installed plan and its name (None when the platform cannot read it)."""

    id: uuid.UUID
    name: Optional[str]


@dataclass(frozen=True)
class PlanLookup:
    """What find_plan made of a text. `outcome` is "found" (candidates holds the one plan),
    "none" (every installed plan) or "several" (the plans that share the name); `reading` is
    "identifier", "alias" or "name"; `identifier` is the plan an identifier or alias stands for
    (None for a name, or for SCHEME_CURRENT when the platform cannot tell the active plan)."""

    outcome: str
    reading: str
    identifier: Optional[uuid.UUID]
    candidates: List[InstalledPlan]

    @property
    def plan(self) -> Optional[InstalledPlan]:
        """The plan found, or None."""
        return self.candidates[0] if self.outcome == "found" else None


_OUTCOMES = ("found", "none", "several")
_READINGS = ("identifier", "alias", "name")


def _lib():
    return _native.library()


def _on_ac(source):
    if not isinstance(source, PowerSource):
        raise TypeError(f"a power source is calvoro.PowerSource, not {type(source).__name__}")
    if source not in (PowerSource.AC, PowerSource.DC):
        raise ValueError(f"AC or DC, not {source}")
    return 1 if source is PowerSource.AC else 0


def installed_plans() -> List[InstalledPlan]:
    """Every installed plan with its name, in the platform's order."""
    # PowerClass is imported here: the package imports this module first.
    from . import NoPowerSchemeGuid, PowerClass
    power, plans = PowerClass(), []
    while (plan := power.EnumPowerSchemeGuid(len(plans))) != NoPowerSchemeGuid:
        plans.append(InstalledPlan(plan, power.ReadPowerSchemeName(plan)))
    return plans


def active_plan() -> Optional[uuid.UUID]:
    """The plan the platform applies now; None when it cannot tell."""
    plan, found = _native.Guid(), ctypes.c_int32()
    _native.check(_lib().calvoro_GetActivePlan(ctypes.byref(plan), ctypes.byref(found)))
    return _native.from_c(plan) if found.value else None


class Activation(enum.Enum):
    """How activate went."""

    REFUSED = 0  #: the platform refused
    APPLIED = 1  #: the plan is the active one
    PINNED_BY_POLICY = 2  #: Group Policy sets the active plan; nothing was tried


def activate(plan: uuid.UUID) -> Activation:
    """Applies the plan, making it the active one, unless Group Policy sets the active plan."""
    outcome = ctypes.c_int32()
    _native.check(_lib().calvoro_ActivatePlan(ctypes.byref(_native.to_c(plan)),
                                              ctypes.byref(outcome)))
    return Activation(outcome.value)


def plan_description(plan: uuid.UUID) -> Optional[str]:
    """The plan's description; None when the plan does not exist or it cannot be read."""
    return _native.read_text(_lib().calvoro_ReadPlanDescription, _native.to_c(plan))


def find_plan(text: str) -> PlanLookup:
    """The installed plan that `text` names: an identifier, one of the aliases SCHEME_BALANCED,
    SCHEME_MIN, SCHEME_MAX and SCHEME_CURRENT in any letter case, or a name, the exact name
    when one plan has it, else the one name that is the same ignoring letter case."""
    units, length = _native.units(text, "text")
    record, count = _native.PlanLookupRecord(), ctypes.c_uint32()
    capacity = 4
    while True:  # again with room for as many candidates as a short array reported
        candidates = (_native.Guid * capacity)()
        status = _lib().calvoro_FindPlan(units, length, ctypes.byref(record), candidates,
                                         capacity, ctypes.byref(count))
        if status != _native.BUFFER_TOO_SMALL:
            break
        capacity = count.value
    _native.check(status)
    from . import PowerClass  # the package imports this module first
    ids = [_native.from_c(candidates[i]) for i in range(count.value)]
    plans = [InstalledPlan(id, PowerClass().ReadPowerSchemeName(id)) for id in ids]
    identifier = _native.from_c(record.identifier) if record.identified else None
    return PlanLookup(_OUTCOMES[record.outcome], _READINGS[record.reading], identifier, plans)


def same_ignoring_case(a: str, b: str) -> bool:
    """True when the texts are the same ignoring letter case, as find_plan compares names:
    each character by its simple upper-case mapping (ß is not SS)."""
    first, first_length = _native.units(a, "a")
    second, second_length = _native.units(b, "b")
    same = ctypes.c_int32()
    _native.check(_lib().calvoro_SameIgnoringCase(first, first_length, second, second_length,
                                                  ctypes.byref(same)))
    return bool(same.value)


def set_default(source: PowerSource, plan: uuid.UUID) -> None:
    """Records the plan as the default for the source, where PowerClass.GetDefaultPlaneGUID
    reads it. Raises RegistryAccessError when the registry refuses."""
    _native.check(_lib().calvoro_SetDefaultPlan(_on_ac(source), ctypes.byref(_native.to_c(plan))))


def clear_default(source: PowerSource) -> bool:
    """Removes the record for the source, and nothing else; False when none was recorded.
    Raises RegistryAccessError when the registry refuses."""
    cleared = ctypes.c_int32()
    _native.check(_lib().calvoro_ClearDefaultPlan(_on_ac(source), ctypes.byref(cleared)))
    return bool(cleared.value)


def active_plan_pinned_by_policy() -> bool:
    """True when Group Policy sets the active plan, so that activate cannot."""
    pinned = ctypes.c_int32()
    _native.check(_lib().calvoro_ActivePlanPinnedByPolicy(ctypes.byref(pinned)))
    return bool(pinned.value)


def power_source() -> PowerSourceState:
    """The machine's power source now (UNKNOWN when the platform cannot tell)."""
    record = _native.PowerSourceRecord()
    _native.check(_lib().calvoro_ReadPowerSource(ctypes.byref(record)))
    return PowerSourceState(SOURCES[record.source], bool(record.batteryPresent),
                            bool(record.modernStandby))


def _check_mode(outcome, status, source):
    # The power modes' outcomes, in the mapping of every other call: no power modes is
    # NotImplementedError and a failure RefusedError; "not for the active plan" is theirs alone.
    if outcome == 1:
        raise NotImplementedError("this platform has no power modes (Windows 11 has them)")
    if outcome == 2:
        raise ValueError("Windows says the power mode does not apply to the active plan; it "
                         "applies to Balanced and plans made from it")
    if outcome != 0:
        raise RefusedError(f"the power mode for {source.name}: the platform refused"
                           + (f" (status {status})" if status else ""), status)


def power_mode(source: PowerSource) -> Union[PowerMode, uuid.UUID]:
    """The user's power mode for AC or DC; the identifier of one that is none of the three.
    Raises NotImplementedError where the platform has no power modes."""
    record = _native.PowerModeRecord()
    _native.check(_lib().calvoro_GetPowerMode(_on_ac(source), ctypes.byref(record)))
    _check_mode(record.outcome, record.status, source)
    return _MODES[record.mode] if record.mode >= 0 else _native.from_c(record.guid)


def set_power_mode(source: PowerSource, mode: PowerMode) -> None:
    """Sets the user's power mode for AC or DC. Raises NotImplementedError where the platform
    has no power modes, ValueError where Windows says it does not apply to the active plan."""
    if not isinstance(mode, PowerMode):
        raise TypeError(f"a power mode is calvoro.PowerMode, not {type(mode).__name__}")
    outcome = ctypes.c_int32()
    _native.check(_lib().calvoro_SetPowerMode(_on_ac(source), _MODES.index(mode),
                                              ctypes.byref(outcome)))
    _check_mode(outcome.value, 0, source)

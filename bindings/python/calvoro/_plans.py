"""The library's own operations beside PowerClass: the active plan, a plan's description,
finding a plan by what a person types, and writing the default-plan record."""
import ctypes
import enum
import uuid
from dataclasses import dataclass
from typing import List, Optional, Union

from . import _native
from ._errors import ActivePlanError, PinnedByPolicyError, RefusedError, SettingNotFoundError


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
    #: find_plan_or_template: the one candidate is a template, not an installed plan
    is_template: bool = False

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


def _lookup(text, find, *more):
    units, length = _native.units(text, "text")
    record, count = _native.PlanLookupRecord(), ctypes.c_uint32()
    capacity = 4
    while True:  # again with room for as many candidates as a short array reported
        candidates = (_native.Guid * capacity)()
        status = find(units, length, ctypes.byref(record), candidates, capacity,
                      ctypes.byref(count), *more)
        if status != _native.BUFFER_TOO_SMALL:
            break
        capacity = count.value
    _native.check(status)
    return record, [_native.from_c(candidates[i]) for i in range(count.value)]


def find_plan(text: str) -> PlanLookup:
    """The installed plan that `text` names: an identifier, one of the aliases SCHEME_BALANCED,
    SCHEME_MIN, SCHEME_MAX and SCHEME_CURRENT in any letter case, or a name, the exact name
    when one plan has it, else the one name that is the same ignoring letter case."""
    record, ids = _lookup(text, _lib().calvoro_FindPlan)
    from . import PowerClass  # the package imports this module first
    plans = [InstalledPlan(id, PowerClass().ReadPowerSchemeName(id)) for id in ids]
    identifier = _native.from_c(record.identifier) if record.identified else None
    return PlanLookup(_OUTCOMES[record.outcome], _READINGS[record.reading], identifier, plans)


@dataclass(frozen=True)
class PlanTemplate:
    """One of Windows' published plan templates, which duplicate_plan copies whether Windows
    lists the plan or not. `standard`: Windows lists it on this machine, and
    restore_default_plans brings it back."""

    id: uuid.UUID
    name: str
    standard: bool


def plan_templates() -> List[PlanTemplate]:
    """Windows' templates: Balanced, High performance, Power saver, Ultimate Performance."""
    count = ctypes.c_uint32()
    _native.check(_lib().calvoro_PlanTemplates(None, 0, ctypes.byref(count)))
    records = (_native.PlanTemplateRecord * count.value)()
    _native.check(_lib().calvoro_PlanTemplates(records, count.value, ctypes.byref(count)))
    return [PlanTemplate(_native.from_c(record.id), _native.read_units(
        lambda buffer, capacity, length, index=index: _lib().calvoro_PlanTemplateName(
            index, buffer, capacity, length)), bool(record.standard))
        for index, record in enumerate(records[:count.value])]


def find_plan_or_template(text: str) -> PlanLookup:
    """As find_plan; where no installed plan matches, a template by identifier or name is the
    one candidate (is_template). An installed plan's name wins over a template's."""
    is_template = ctypes.c_int32()
    record, ids = _lookup(text, _lib().calvoro_FindPlanOrTemplate, ctypes.byref(is_template))
    if is_template.value:
        names = {template.id: template.name for template in plan_templates()}
        plans = [InstalledPlan(id, names.get(id)) for id in ids]
    else:
        from . import PowerClass  # the package imports this module first
        plans = [InstalledPlan(id, PowerClass().ReadPowerSchemeName(id)) for id in ids]
    identifier = _native.from_c(record.identifier) if record.identified else None
    return PlanLookup(_OUTCOMES[record.outcome], _READINGS[record.reading], identifier, plans,
                      bool(is_template.value))


class PlanOutcome(enum.Enum):
    """How making, removing or restoring a plan went; each outcome but DONE is raised as one
    exception (check_plan)."""

    DONE = 0
    NOT_FOUND = 1  #: SettingNotFoundError
    ALREADY_EXISTS = 2  #: FileExistsError: the identifier is installed; nothing was made
    IS_ACTIVE = 3  #: ActivePlanError
    NOT_STANDARD = 4  #: ValueError: a custom plan has no Windows defaults
    FORBIDDEN_BY_POLICY = 5  #: PinnedByPolicyError: Group Policy forbids creating plans
    NEEDS_ADMINISTRATOR = 6  #: PermissionError
    UNSUPPORTED = 7  #: NotImplementedError: the platform lacks the call
    FAILED = 8  #: RefusedError, with the platform's status


def check_plan(outcome: PlanOutcome, status: int, what: str) -> None:
    """Raises the exception of a plan operation's outcome; `what` names the operation."""
    if outcome is PlanOutcome.DONE:
        return
    raise {
        PlanOutcome.NOT_FOUND: lambda: SettingNotFoundError(f"{what}: no such plan"),
        PlanOutcome.ALREADY_EXISTS: lambda: FileExistsError(
            f"{what}: a plan with that identifier is installed already"),
        PlanOutcome.IS_ACTIVE: lambda: ActivePlanError(
            f"{what}: it is the active plan; activate another plan first"),
        PlanOutcome.NOT_STANDARD: lambda: ValueError(
            f"{what}: a custom plan has no Windows defaults to restore"),
        PlanOutcome.FORBIDDEN_BY_POLICY: lambda: PinnedByPolicyError(
            f"{what}: Group Policy forbids creating and restoring plans on this machine"),
        PlanOutcome.NEEDS_ADMINISTRATOR: lambda: PermissionError(
            f"{what}: Windows refused access; an administrator may do it"),
        PlanOutcome.UNSUPPORTED: lambda: NotImplementedError(
            f"{what}: this platform lacks the call for it"),
        PlanOutcome.FAILED: lambda: RefusedError(f"{what}: the platform refused (status {status})",
                                                 status),
    }[outcome]()


def _plan_result(call, what):
    record = _native.PlanResultRecord()
    _native.check(call(ctypes.byref(record)))
    check_plan(PlanOutcome(record.outcome), record.status, what)
    return record


def duplicate_plan(source: uuid.UUID, name: Optional[str] = None, id: Optional[uuid.UUID] = None,
                   description: Optional[str] = None) -> uuid.UUID:
    """Copies an installed plan or a template (plan_templates) with every setting, and
    returns the copy's identifier: `id` when given, else one that Windows picks. With `name`,
    the copy is named (with `description`, else the source's) in the same operation; without
    one it keeps the source's name, as Windows does."""
    if description is not None and name is None:
        raise ValueError("a description is written together with a name")
    texts = []
    for text, what in ((name, "name"), (description, "description")):
        texts += [None, 0] if text is None else list(_native.units(text, what))
    new_id = ctypes.byref(_native.to_c(id)) if id is not None else None
    record = _plan_result(lambda result: _lib().calvoro_DuplicatePlan(
        ctypes.byref(_native.to_c(source)), new_id, *texts, result), f"duplicating {source}")
    return _native.from_c(record.plan)


def delete_plan(plan: uuid.UUID) -> List[PowerSource]:
    """Removes the plan (the active plan raises ActivePlanError). Returns the sources whose
    default record still names it: records are left alone."""
    record = _plan_result(lambda result: _lib().calvoro_DeletePlan(
        ctypes.byref(_native.to_c(plan)), result), f"deleting {plan}")
    return [source for source, bit in ((PowerSource.AC, 1), (PowerSource.DC, 2))
            if record.records & bit]


def restore_default_plans() -> None:
    """Removes every custom plan and gives Windows' plans their defaults (Balanced becomes
    active if the active plan went). Windows asks an administrator for it."""
    _plan_result(_lib().calvoro_RestoreDefaultPlans, "restoring the default plans")


def restore_plan_defaults(plan: uuid.UUID) -> None:
    """Gives one of Windows' plans its default settings, name and description again; a custom
    plan raises ValueError."""
    _plan_result(lambda result: _lib().calvoro_RestorePlanDefaults(
        ctypes.byref(_native.to_c(plan)), 0, result), f"restoring the defaults of {plan}")


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

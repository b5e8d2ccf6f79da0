"""Every setting of a plan, as the platform describes it, and the export document that carries
them all. Each function is one call of the native library, which decides every rule; this
module maps its outcomes to Python's exceptions, one exception for each (check)."""
import ctypes
import enum
import uuid
from dataclasses import dataclass
from typing import Iterator, List, Optional, Tuple

from . import _native
from ._errors import (AmbiguousSettingError, PinnedByPolicyError, RefusedError,
                      SettingNotFoundError)
from ._plans import Activation, PowerSource, _on_ac


class SettingOutcome(enum.Enum):
    """How a call of the native library went. check() returns for DONE and raises one
    exception for each other outcome."""

    DONE = 0
    NOT_FOUND = 1  #: SettingNotFoundError
    AMBIGUOUS = 2  #: AmbiguousSettingError
    OUT_OF_RANGE = 3  #: ValueError; nothing was written
    REFUSED = 4  #: RefusedError, with the platform's status
    PINNED_BY_POLICY = 5  #: PinnedByPolicyError; nothing was tried
    UNSUPPORTED = 6  #: NotImplementedError: the platform lacks the calls


def check(outcome: SettingOutcome, status: int, what: str) -> None:
    """Returns for DONE; raises the outcome's exception, naming `what`, otherwise."""
    if outcome is SettingOutcome.DONE:
        return
    if outcome is SettingOutcome.REFUSED:
        raise RefusedError(f"{what}: the platform refused" + (f" (status {status})" if status else ""),
                           status)
    raise {
        SettingOutcome.NOT_FOUND: SettingNotFoundError(f"{what}: no such plan or setting"),
        SettingOutcome.AMBIGUOUS: AmbiguousSettingError(
            f"{what}: several settings have that name; give an alias or identifier"),
        SettingOutcome.OUT_OF_RANGE: ValueError(
            f"{what}: a value the setting does not take; nothing was changed"),
        SettingOutcome.PINNED_BY_POLICY: PinnedByPolicyError(f"{what}: Group Policy sets it"),
        SettingOutcome.UNSUPPORTED: NotImplementedError(
            f"{what}: this platform lacks the calls for it"),
    }[outcome]


@dataclass(frozen=True)
class SettingRange:
    """The values a setting with a range takes: min to max in steps of increment."""

    min: int
    max: int
    increment: int
    units: str  #: as the platform names it: "Seconds", "%"


@dataclass(frozen=True)
class PossibleValue:
    """One of the values of a setting without a range; a plan stores its index."""

    index: int
    name: str
    description: str


@dataclass(frozen=True)
class PowerSubgroup:
    """A group of settings, such as Sleep."""

    id: uuid.UUID
    alias: Optional[str]  #: powercfg's, as SUB_SLEEP
    name: str
    description: str


@dataclass(frozen=True)
class PowerSetting:
    """A setting as the platform describes it for `plan`."""

    plan: uuid.UUID
    subgroup: PowerSubgroup
    id: uuid.UUID
    alias: Optional[str]  #: powercfg's, as PROCTHROTTLEMAX
    name: str
    description: str
    hidden: bool  #: hidden from Windows' own power options
    range: Optional[SettingRange]  #: None when it has possible values
    possible_values: Tuple[PossibleValue, ...]
    ac_default: Optional[int]  #: Windows' default for plans of this plan's kind
    dc_default: Optional[int]
    allowed: str  #: what it takes, for a person: "0 to 100 %", or the values' names


@dataclass(frozen=True)
class SettingValues:
    """A setting's values in a plan, in the setting's own unit (a timeout in seconds)."""

    ac: int
    dc: int


@dataclass(frozen=True)
class SettingChange:
    """How a change went: `reapplied` says how applying the active plan again went (None when
    the plan changed is not the active one); `active_plan_unknown` that the platform cannot
    tell the active plan, so the change takes effect when the plan is next applied."""

    reapplied: Optional[Activation]
    active_plan_unknown: bool


_NOT_REAPPLIED, _ACTIVE_PLAN_UNKNOWN = -1, -2
_NAME, _DESCRIPTION, _ALIAS, _UNITS, _ALLOWED = range(5)
_SUBGROUP_NAME, _SUBGROUP_DESCRIPTION, _SUBGROUP_ALIAS = range(5, 8)


def _lib():
    return _native.library()


def _changed(result: _native.SettingResult, what: str) -> SettingChange:
    check(SettingOutcome(result.outcome), result.status, what)
    return SettingChange(Activation(result.reapplied) if result.reapplied >= 0 else None,
                         result.reapplied == _ACTIVE_PLAN_UNKNOWN)


def _setting_id(setting: PowerSetting) -> _native.SettingId:
    if not isinstance(setting, PowerSetting):
        raise TypeError(f"a setting is calvoro.PowerSetting, not {type(setting).__name__}")
    return _native.SettingId(_native.to_c(setting.subgroup.id), _native.to_c(setting.id))


def _describe(plan, handle, position) -> PowerSetting:
    info = _native.SettingInfo()
    _native.check(_lib().calvoro_SettingInfo(handle, position, ctypes.byref(info)))

    def text(which):
        return _native.read_units(lambda buffer, capacity, length: _lib().calvoro_SettingText(
            handle, position, which, buffer, capacity, length))

    def possible(value_position):
        index = ctypes.c_uint32()

        def named(which):
            return _native.read_units(lambda buffer, capacity, length: _lib().calvoro_PossibleValue(
                handle, position, value_position, which, ctypes.byref(index), buffer, capacity,
                length))
        name, description = named(_NAME), named(_DESCRIPTION)
        return PossibleValue(index.value, name, description)

    subgroup = PowerSubgroup(_native.from_c(info.id.subgroup), text(_SUBGROUP_ALIAS) or None,
                             text(_SUBGROUP_NAME), text(_SUBGROUP_DESCRIPTION))
    return PowerSetting(
        plan, subgroup, _native.from_c(info.id.setting), text(_ALIAS) or None, text(_NAME),
        text(_DESCRIPTION), bool(info.hidden),
        SettingRange(info.min, info.max, info.increment, text(_UNITS)) if info.ranged else None,
        tuple(possible(each) for each in range(info.valueCount)),
        info.acDefault if info.hasAcDefault else None,
        info.dcDefault if info.hasDcDefault else None, text(_ALLOWED))


def _described(plan, what, lister) -> List[PowerSetting]:
    # The settings that `lister` hands out, read whole, and the list freed.
    result, handle = _native.SettingResult(), ctypes.c_void_p()
    _native.check(lister(ctypes.byref(result), ctypes.byref(handle)))
    try:
        count = ctypes.c_uint32()
        _native.check(_lib().calvoro_SettingCount(handle, ctypes.byref(count)))
        settings = [_describe(plan, handle, position) for position in range(count.value)]
    finally:
        _native.check(_lib().calvoro_FreeSettings(handle))
    if result.outcome == SettingOutcome.AMBIGUOUS.value:
        raise AmbiguousSettingError(
            f"{what}: several settings have that name; give an alias or identifier", settings)
    check(SettingOutcome(result.outcome), result.status, what)
    return settings


def settings_supported() -> bool:
    """Whether the platform has the calls (Wine's own powrprof has not); where it has not, the
    other functions raise NotImplementedError."""
    supported = ctypes.c_int32()
    _native.check(_lib().calvoro_PowerSettingsSupported(ctypes.byref(supported)))
    return bool(supported.value)


def list_settings(plan: uuid.UUID, include_hidden: bool = False) -> List[PowerSetting]:
    """The plan's settings, subgroup by subgroup; the hidden ones too when asked."""
    guid = _native.to_c(plan)
    settings = _described(plan, f"the settings of {plan}",
                          lambda result, handle: _lib().calvoro_ListSettings(
                              ctypes.byref(guid), result, handle))
    return settings if include_hidden else [each for each in settings if not each.hidden]


def find_setting(plan: uuid.UUID, text: str) -> PowerSetting:
    """The plan's setting that a person's text names: its identifier, its alias in any letter
    case, or its name (exact, else ignoring letter case). Raises SettingNotFoundError, or
    AmbiguousSettingError with the candidates."""
    guid = _native.to_c(plan)
    units, length = _native.units(text, "text")
    return _described(plan, f"the setting {text!r}",
                      lambda result, handle: _lib().calvoro_FindSetting(
                          ctypes.byref(guid), units, length, result, handle))[0]


def setting_value_from_text(setting: PowerSetting, text: str) -> int:
    """The value that `text` stands for in the setting: a whole number, or the index of the
    possible value so named, in any letter case. Not yet checked against the setting (a write
    checks it). Raises ValueError saying what the setting takes."""
    _setting_id(setting)
    guid = _native.to_c(setting.plan)
    identifier, identifier_length = _native.units(str(setting.id), "identifier")
    result, handle = _native.SettingResult(), ctypes.c_void_p()
    _native.check(_lib().calvoro_FindSetting(ctypes.byref(guid), identifier, identifier_length,
                                             ctypes.byref(result), ctypes.byref(handle)))
    try:
        check(SettingOutcome(result.outcome), result.status, setting.name)
        units, length = _native.units(text, "text")
        found, value = ctypes.c_int32(), ctypes.c_uint32()
        _native.check(_lib().calvoro_SettingValueFromText(handle, 0, units, length,
                                                          ctypes.byref(found), ctypes.byref(value)))
    finally:
        _native.check(_lib().calvoro_FreeSettings(handle))
    if not found.value:
        raise ValueError(f"{setting.name} takes {setting.allowed}, not {text!r}")
    return value.value


def read_setting(plan: uuid.UUID, setting: PowerSetting) -> SettingValues:
    """The plan's values of the setting, in the setting's own unit."""
    identifier, result = _setting_id(setting), _native.SettingResult()
    ac, dc = ctypes.c_uint32(), ctypes.c_uint32()
    _native.check(_lib().calvoro_ReadSetting(ctypes.byref(_native.to_c(plan)),
                                             ctypes.byref(identifier), ctypes.byref(result),
                                             ctypes.byref(ac), ctypes.byref(dc)))
    check(SettingOutcome(result.outcome), result.status, f"reading {setting.name}")
    return SettingValues(ac.value, dc.value)


def write_setting(plan: uuid.UUID, setting: PowerSetting, source: PowerSource,
                  value: int) -> SettingChange:
    """Writes the plan's value of the setting for AC or DC, after the library checked it
    against the setting's description and Group Policy; a change to the active plan applies it
    again. Raises ValueError (naming what it takes) for a value it does not take."""
    identifier, result = _setting_id(setting), _native.SettingResult()
    on_ac = _on_ac(source)
    if not isinstance(value, int) or not 0 <= value <= 0xFFFFFFFF:
        raise ValueError(f"{setting.name} takes {setting.allowed}, not {value!r}")
    _native.check(_lib().calvoro_WriteSetting(ctypes.byref(_native.to_c(plan)),
                                              ctypes.byref(identifier), on_ac, value,
                                              ctypes.byref(result)))
    if result.outcome == SettingOutcome.OUT_OF_RANGE.value:
        raise ValueError(f"{setting.name} takes {setting.allowed}, not {value}; nothing was changed")
    return _changed(result, f"writing {setting.name} on {source.name}")


def _set_hidden(setting, hidden):
    identifier, result = _setting_id(setting), _native.SettingResult()
    _native.check(_lib().calvoro_SetSettingHidden(ctypes.byref(identifier), int(hidden),
                                                  ctypes.byref(result)))
    _changed(result, ("hiding " if hidden else "showing ") + setting.name)


def show_setting(setting: PowerSetting) -> None:
    """Shows the setting in Windows' own power options, for the whole machine (Windows asks
    for an administrator)."""
    _set_hidden(setting, False)


def hide_setting(setting: PowerSetting) -> None:
    """Hides the setting from Windows' own power options, for the whole machine."""
    _set_hidden(setting, True)


# ---- The export document ----

class DocumentChangeKind(enum.Enum):
    """What a change of a document is."""

    SETTING = 0  #: a setting's value for AC or DC
    NAME = 1  #: the plan's name, with its description
    SKIPPED = 2  #: a setting this machine does not have
    CREATE = 3  #: a plan that is not installed, made as a copy of `copy_of`


@dataclass(frozen=True)
class DocumentChange:
    """One change that a document asks of this machine."""

    position: int
    kind: DocumentChangeKind
    plan: uuid.UUID
    plan_name: Optional[str]
    subgroup: uuid.UUID
    setting: uuid.UUID
    source: PowerSource
    from_value: int  #: as the document speaks (minutes for a version 1 timeout)
    to_value: int
    key: str  #: "PROCTHROTTLEMAX.dc", "sleep.ac", "name"; a skipped setting's place
    label: str  #: "Maximum processor state (PROCTHROTTLEMAX) on DC"
    from_text: str  #: "100 %", "15 min", a name in quotes
    to_text: str
    name: str  #: a name change's (or a new plan's) name
    description: str  #: and description
    copy_of: uuid.UUID  #: CREATE: the plan copied


@dataclass(frozen=True)
class ImportedChange:
    """A change that import_plans made, tried, or only said (a dry run, or a skipped setting):
    `made` when made, `refusal` (RefusedError or PinnedByPolicyError) when refused."""

    change: DocumentChange
    made: Optional[SettingChange]
    refusal: Optional[Exception]


def export_plans(*plans: uuid.UUID) -> str:
    """The installed plans (every plan when none is given) as a document: names,
    descriptions and every setting, hidden ones included. Raises ValueError for a plan that is
    not installed."""
    guids = (_native.Guid * max(len(plans), 1))(*[_native.to_c(plan) for plan in plans])
    length = ctypes.c_uint32()
    _native.check(_lib().calvoro_ExportPlans(guids, len(plans), None, 0, ctypes.byref(length)))
    text = ctypes.create_string_buffer(length.value + 1)
    _native.check(_lib().calvoro_ExportPlans(guids, len(plans), text, len(text),
                                             ctypes.byref(length)))
    return text.raw[:length.value].decode("utf-8")


class PlanDocument:
    """What a document asks of this machine, read and checked whole by the native library,
    which holds it until close() (or the end of a with block); apply the changes one by one."""

    def __init__(self, document: str, skip_unknown: bool = False, create: bool = False):
        if not isinstance(document, str):
            raise TypeError(f"a document is a str, not {type(document).__name__}")
        text = document.encode("utf-8", "surrogatepass")
        self._handle = ctypes.c_void_p()
        options = (1 if skip_unknown else 0) | (2 if create else 0)
        _native.check(_lib().calvoro_ReadDocument(text, len(text), options,
                                                  ctypes.byref(self._handle)))
        try:
            count = ctypes.c_uint32()
            _native.check(_lib().calvoro_DocumentCount(self._handle, ctypes.byref(count)))
            self.changes: List[DocumentChange] = [self._change(each) for each in range(count.value)]
        except BaseException:
            self.close()
            raise

    def _change(self, position):
        record = _native.DocumentChangeRecord()
        _native.check(_lib().calvoro_DocumentChange(self._handle, position, ctypes.byref(record)))

        def text(which):
            return _native.read_units(lambda buffer, capacity, length: _lib().calvoro_DocumentText(
                self._handle, position, which, buffer, capacity, length))
        key, label, from_text, to_text, plan_name, name, description = map(text, range(7))
        return DocumentChange(position, DocumentChangeKind(record.kind),
                              _native.from_c(record.plan), plan_name or None,
                              _native.from_c(record.subgroup), _native.from_c(record.setting),
                              PowerSource.AC if record.onAC else PowerSource.DC, record.from_,
                              record.to, key, label, from_text, to_text, name, description,
                              _native.from_c(record.source))

    def apply(self, change: DocumentChange) -> SettingChange:
        """Makes one of `changes`: a setting as write_setting does, a name with its
        description, a plan as duplicate_plan does (PinnedByPolicyError when Group Policy
        forbids new plans). A skipped setting raises SettingNotFoundError."""
        if not self._handle:
            raise ValueError("the document is closed")
        if change not in self.changes:
            raise ValueError("not a change of this document")
        result = _native.SettingResult()
        _native.check(_lib().calvoro_ApplyDocumentChange(self._handle, change.position,
                                                         ctypes.byref(result)))
        return _changed(result, f"{change.label} of {change.plan_name or change.plan}")

    def close(self) -> None:
        """Releases what the native library holds; later calls do nothing."""
        if self._handle:
            handle, self._handle = self._handle, ctypes.c_void_p()
            _native.check(_lib().calvoro_FreeDocument(handle))

    def __enter__(self) -> "PlanDocument":
        return self

    def __exit__(self, *exc_info) -> None:
        self.close()

    def __iter__(self) -> Iterator[DocumentChange]:
        return iter(self.changes)


def import_plans(document: str, dry_run: bool = False, skip_unknown: bool = False,
                 create: bool = False) -> List[ImportedChange]:
    """Applies a document to the installed plans after the native library checked all of it
    (DocumentError, naming the place, and nothing changed otherwise), change by change: a
    refused change is reported, and the others are made. With `create`, the plans that are
    not installed are made first; when one cannot be made, nothing else is tried."""
    imported = []
    stopped = dry_run
    with PlanDocument(document, skip_unknown, create) as read:
        for change in read:
            if stopped or change.kind is DocumentChangeKind.SKIPPED:
                imported.append(ImportedChange(change, None, None))
                continue
            try:
                imported.append(ImportedChange(change, read.apply(change), None))
            except (RefusedError, PinnedByPolicyError) as refusal:
                imported.append(ImportedChange(change, None, refusal))
                stopped = change.kind is DocumentChangeKind.CREATE
    return imported

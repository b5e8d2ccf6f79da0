"""Windows power plans as plain Python values, through the native calvoro library.

    >>> import calvoro
    >>> power = calvoro.PowerClass()
    >>> plan = power.EnumPowerSchemeGuid(0)            # a uuid.UUID
    >>> power.ReadPowerSchemeName(plan), power.GetSleepTimer(plan, True)

Failures are results (0 minutes, False, 0, NoPowerSchemeGuid, None for a name). Only
GetDefaultPlaneGUID raises errors of its own (GuidParseError, RegistryAccessError); an
exception that the platform raises becomes PlatformError with its message.

Beside the class, the library's own operations: the active plan (active_plan, activate), a
plan's description, finding a plan by what a person types (find_plan), and writing the
default-plan record (set_default, clear_default); and the watcher (Watcher), which applies
the recorded plan when the power source changes.

Every setting of a plan, as Windows describes it: list_settings, find_setting, read_setting,
write_setting, show_setting and hide_setting; and the export document that carries them all:
export_plans, import_plans and PlanDocument. Their failures are exceptions, one for each outcome
of the library (SettingOutcome): SettingNotFoundError, AmbiguousSettingError, ValueError for a
value the setting does not take, RefusedError, PinnedByPolicyError and NotImplementedError; a
document that cannot be imported is DocumentError.

A plan's whole life: Windows' templates (plan_templates, find_plan_or_template),
duplicate_plan, delete_plan, restore_default_plans and restore_plan_defaults; each outcome
of the library (PlanOutcome) but success is one exception.
"""
import ctypes
import uuid
from typing import Optional

from . import _native
from ._errors import (ActivePlanError, AmbiguousSettingError, DocumentError, GuidParseError, LibraryNotFoundError,
                      LibraryVersionError, PinnedByPolicyError, PlatformError, RefusedError,
                      RegistryAccessError, SettingNotFoundError)
from ._plans import (Activation, InstalledPlan, PlanLookup, PlanOutcome, PlanTemplate, PowerMode,
                     PowerSource, PowerSourceState, activate, active_plan,
                     active_plan_pinned_by_policy, clear_default, delete_plan, duplicate_plan,
                     find_plan, find_plan_or_template, installed_plans, plan_description,
                     plan_templates, power_mode, power_source, restore_default_plans,
                     restore_plan_defaults, same_ignoring_case, set_default, set_power_mode)
from ._settings import (DocumentChange, DocumentChangeKind, ImportedChange, PlanDocument,
                        PossibleValue, PowerSetting, PowerSubgroup, SettingChange, SettingOutcome,
                        SettingRange, SettingValues, export_plans, find_setting, hide_setting,
                        import_plans, list_settings, read_setting, setting_value_from_text,
                        settings_supported, show_setting, write_setting)
from ._version import __version__
from ._watcher import WatchAction, WatchDecision, Watcher, WatchTrigger, apply_recorded_plan

__all__ = ["PowerClass", "NoPowerSchemeGuid", "GuidParseError", "RegistryAccessError",
           "PlatformError", "LibraryNotFoundError", "LibraryVersionError", "library_version",
           "simulation", "__version__", "Activation", "PowerSource", "InstalledPlan", "PlanLookup",
           "installed_plans", "active_plan", "activate", "plan_description", "find_plan",
           "same_ignoring_case", "set_default", "clear_default", "PowerMode", "PowerSourceState",
           "power_source", "power_mode", "set_power_mode", "active_plan_pinned_by_policy",
           "Watcher", "WatchDecision", "WatchAction", "WatchTrigger", "apply_recorded_plan",
           "RefusedError", "PinnedByPolicyError", "SettingNotFoundError", "AmbiguousSettingError",
           "DocumentError", "SettingOutcome", "SettingRange", "PossibleValue", "PowerSubgroup",
           "PowerSetting", "SettingValues", "SettingChange", "settings_supported", "list_settings",
           "find_setting", "setting_value_from_text", "read_setting", "write_setting",
           "show_setting", "hide_setting", "DocumentChangeKind", "DocumentChange",
           "ImportedChange", "PlanDocument", "export_plans", "import_plans", "ActivePlanError",
           "PlanOutcome", "PlanTemplate", "plan_templates", "find_plan_or_template",
           "duplicate_plan", "delete_plan", "restore_default_plans", "restore_plan_defaults"]


def __getattr__(name):
    # NoPowerSchemeGuid is the library's constant, asked of it on first use.
    if name == "NoPowerSchemeGuid":
        guid = _native.Guid()
        _native.check(_native.library().calvoro_NoPowerSchemeGuid(ctypes.byref(guid)))
        globals()[name] = _native.from_c(guid)
        return globals()[name]
    raise AttributeError(f"module 'calvoro' has no attribute {name!r}")


def library_version() -> str:
    """The native library's version, "MAJOR.MINOR.PATCH"."""
    return _native.library().calvoro_Version().decode("ascii")


def _call(function, *arguments):
    _native.check(getattr(_native.library(), function)(*arguments))


def _uint32(value, what):
    # ctypes would wrap an out-of-range number silently into another one.
    if not isinstance(value, int) or not 0 <= value <= 0xFFFFFFFF:
        raise ValueError(f"{what} is a whole number from 0 to 4294967295, not {value!r}")
    return value


def _guid_result(function, *arguments):
    result = _native.Guid()
    _call(function, *arguments, ctypes.byref(result))
    return _native.from_c(result)


class PowerClass:
    """The operating system's power plans. Holds no state; any method may be called from any
    thread. Identifiers are uuid.UUID; timeouts are whole minutes, for mains power (bOnAC
    True) or battery (False)."""

    def ToGUID(self, guid: uuid.UUID) -> uuid.UUID:
        """The platform's record of `guid`: the same 16 bytes."""
        return _guid_result("calvoro_ToGUID", ctypes.byref(_native.to_c(guid)))

    def EnumPowerSchemeGuid(self, PowerSchemeIndex: int) -> uuid.UUID:
        """The installed plan at the index (from 0); NoPowerSchemeGuid past the last one."""
        return _guid_result("calvoro_EnumPowerSchemeGuid", _uint32(PowerSchemeIndex, "PowerSchemeIndex"))

    def ReadPowerSchemeName(self, PowerSchemeGuid: uuid.UUID) -> Optional[str]:
        """The plan's name, or None when the plan does not exist or its name cannot be read."""
        return _native.read_text(_native.library().calvoro_ReadPowerSchemeName,
                                 _native.to_c(PowerSchemeGuid))

    def WritePowerSchemeNameDescription(self, PowerSchemeGuid: uuid.UUID, SchemeName: str,
                                        SchemeDescription: str) -> int:
        """Writes the plan's name, then its description, each up to its first NUL. Returns 1
        when both were stored, otherwise 0."""
        guid = _native.to_c(PowerSchemeGuid)
        name, name_length = _native.units(SchemeName, "SchemeName")
        description, description_length = _native.units(SchemeDescription, "SchemeDescription")
        result = ctypes.c_int32()
        _call("calvoro_WritePowerSchemeNameDescription", ctypes.byref(guid), name, name_length,
              description, description_length, ctypes.byref(result))
        return result.value

    def GetDefaultPlaneGUID(self, b_OnAC: bool) -> uuid.UUID:
        """The plan that the current user's registry records as the default for mains power
        (value "AC") or battery ("DC"); NoPowerSchemeGuid when none is recorded. Raises
        GuidParseError for a value that is not GUID text and RegistryAccessError when access is
        refused."""
        return _guid_result("calvoro_GetDefaultPlaneGUID", 1 if b_OnAC else 0)

    def _get(self, function, SchemeGuid, bOnAC):
        minutes = ctypes.c_uint32()
        _call(function, ctypes.byref(_native.to_c(SchemeGuid)), 1 if bOnAC else 0,
              ctypes.byref(minutes))
        return minutes.value

    def _set(self, function, SchemeGuid, bOnAC, timer):
        stored = ctypes.c_int32()
        _call(function, ctypes.byref(_native.to_c(SchemeGuid)), 1 if bOnAC else 0,
              _uint32(timer, "timer"),
              ctypes.byref(stored))
        return bool(stored.value)

    def GetSleepTimer(self, SchemeGuid: uuid.UUID, bOnAC: bool) -> int:
        """The sleep timeout in minutes; 0 when the platform cannot read it."""
        return self._get("calvoro_GetSleepTimer", SchemeGuid, bOnAC)

    def GetHibernationTimer(self, SchemeGuid: uuid.UUID, bOnAC: bool) -> int:
        """The hibernation timeout in minutes; 0 when the platform cannot read it."""
        return self._get("calvoro_GetHibernationTimer", SchemeGuid, bOnAC)

    def GetDisplayTimer(self, SchemeGuid: uuid.UUID, bOnAC: bool) -> int:
        """The display-off timeout in minutes; 0 when the platform cannot read it."""
        return self._get("calvoro_GetDisplayTimer", SchemeGuid, bOnAC)

    def SetSleepTimer(self, SchemeGuid: uuid.UUID, bOnAC: bool, timer: int) -> bool:
        """Stores the sleep timeout; True when stored, False when refused (and, without asking
        the platform, above 71582788 minutes)."""
        return self._set("calvoro_SetSleepTimer", SchemeGuid, bOnAC, timer)

    def SetHibernationTimer(self, SchemeGuid: uuid.UUID, bOnAC: bool, timer: int) -> bool:
        """Stores the hibernation timeout, as SetSleepTimer."""
        return self._set("calvoro_SetHibernationTimer", SchemeGuid, bOnAC, timer)

    def SetDisplayTimer(self, SchemeGuid: uuid.UUID, bOnAC: bool, timer: int) -> bool:
        """Stores the display-off timeout, as SetSleepTimer."""
        return self._set("calvoro_SetDisplayTimer", SchemeGuid, bOnAC, timer)


from . import simulation  # noqa: E402  (uses the names above)

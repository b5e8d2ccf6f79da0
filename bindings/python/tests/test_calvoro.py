"""The binding's mapping into Python, on the simulated machine: each of the library's rules
reaches Python in Python's form. (The rules themselves are tested in C++.)"""
import os
import pathlib
import subprocess
import sys
import threading
import uuid

import pytest

import calvoro
from calvoro import simulation

BALANCED = uuid.UUID("381B4222-F694-41F0-9685-FF5BB260DF2E")
HIGH_PERFORMANCE = uuid.UUID("8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C")
POWER_SAVER = uuid.UUID("A1841308-3541-4FAB-BC81-F71556F20B4A")
power = calvoro.PowerClass()


@pytest.fixture(autouse=True)
def seeded_machine():
    simulation.reset()
    yield
    assert simulation.allocations().outstanding == 0
    assert simulation.registry_keys().outstanding == 0
    simulation.reset()


def test_plans_in_order_then_no_plan():
    assert calvoro.NoPowerSchemeGuid == uuid.UUID("4515AD82-4C32-4F78-82C4-B20B62430B0A")
    assert [power.EnumPowerSchemeGuid(i) for i in range(4)] == [
        BALANCED, HIGH_PERFORMANCE, POWER_SAVER, calvoro.NoPowerSchemeGuid]
    assert [plan.name for plan in simulation.plans()] == ["Balanced", "High performance", "Power saver"]
    assert power.ToGUID(BALANCED) == BALANCED
    assert calvoro.library_version().count(".") == 2


@pytest.mark.parametrize("written, read", [
    ("Énergie ☀", "Énergie ☀"),
    ("\U0001F50B", "\U0001F50B"),
    ("lone \ud800 surrogate", "lone \ud800 surrogate"),
    ("cut\0here", "cut"),
    ("x" * 1000, "x" * 1000),
])
def test_renames_read_back_exactly(written, read):
    assert power.WritePowerSchemeNameDescription(POWER_SAVER, written, "described") == 1
    assert power.ReadPowerSchemeName(POWER_SAVER) == read


def test_absent_names_and_bad_arguments():
    assert power.ReadPowerSchemeName(uuid.uuid4()) is None
    assert power.WritePowerSchemeNameDescription(uuid.uuid4(), "a", "b") == 0
    with pytest.raises(TypeError):
        power.WritePowerSchemeNameDescription(BALANCED, None, "b")
    with pytest.raises(TypeError):
        power.GetSleepTimer(str(BALANCED), True)
    for bad in (-1, 2**32):
        with pytest.raises(ValueError):
            power.SetSleepTimer(BALANCED, True, bad)
        with pytest.raises(ValueError):
            power.EnumPowerSchemeGuid(bad)
    assert power.ReadPowerSchemeName(BALANCED) == "Balanced"


@pytest.mark.parametrize("timeout, get, set", [
    (simulation.Timeout.SLEEP, "GetSleepTimer", "SetSleepTimer"),
    (simulation.Timeout.HIBERNATE, "GetHibernationTimer", "SetHibernationTimer"),
    (simulation.Timeout.DISPLAY, "GetDisplayTimer", "SetDisplayTimer"),
])
@pytest.mark.parametrize("on_ac", [True, False])
def test_each_timeout_round_trips_on_its_own(timeout, get, set, on_ac):
    before = {(t, ac): simulation.read_seconds(BALANCED, t, ac)
              for t in simulation.Timeout for ac in (True, False)}
    assert getattr(power, set)(BALANCED, on_ac, 71582788) is True
    assert getattr(power, get)(BALANCED, on_ac) == 71582788
    assert simulation.read_seconds(BALANCED, timeout, on_ac) == 4294967280
    before[(timeout, on_ac)] = 4294967280
    assert {key: simulation.read_seconds(BALANCED, *key) for key in before} == before
    assert getattr(power, set)(BALANCED, on_ac, 71582789) is False
    assert getattr(power, get)(BALANCED, on_ac) == 71582788
    assert getattr(power, get)(uuid.uuid4(), on_ac) == 0


@pytest.mark.parametrize("value, outcome", [
    ("{a1841308-3541-4fab-bc81-f71556f20b4a}", POWER_SAVER),
    (None, None),
    (42, calvoro.GuidParseError),
    (b"\x01\x02", calvoro.GuidParseError),
    ("not a plan", calvoro.GuidParseError),
])
def test_default_plan_lookup(value, outcome):
    if value is not None:
        simulation.set_registry_value(simulation.DEFAULT_PLAN_KEY, "ac", value)
        assert simulation.get_registry_value(simulation.DEFAULT_PLAN_KEY, "AC") == value
    if isinstance(outcome, type):
        with pytest.raises(ValueError, match='"AC"'):
            power.GetDefaultPlaneGUID(True)
    else:
        assert power.GetDefaultPlaneGUID(True) == (outcome or calvoro.NoPowerSchemeGuid)
    assert power.GetDefaultPlaneGUID(False) == calvoro.NoPowerSchemeGuid


def test_refused_registry_access_is_a_permission_error():
    simulation.refuse_value_access(simulation.DEFAULT_PLAN_KEY, "DC")
    with pytest.raises(PermissionError):
        power.GetDefaultPlaneGUID(False)
    simulation.refuse_key_access(simulation.DEFAULT_PLAN_KEY)
    with pytest.raises(calvoro.RegistryAccessError):
        power.GetDefaultPlaneGUID(True)


def test_the_operations_beside_the_class():
    absent = uuid.UUID("01234567-89ab-cdef-0102-030405060708")
    assert calvoro.activate(POWER_SAVER) is calvoro.Activation.APPLIED
    assert calvoro.active_plan() == POWER_SAVER
    assert calvoro.activate(absent) is calvoro.Activation.REFUSED
    simulation.inject_status(simulation.Operation.PowerSettingAccessCheckEx, 1260)
    assert calvoro.activate(BALANCED) is calvoro.Activation.PINNED_BY_POLICY
    assert calvoro.plan_description(HIGH_PERFORMANCE) == "Favors performance, but may use more energy."
    assert calvoro.plan_description(absent) is None
    found = calvoro.find_plan("power SAVER")
    assert (found.outcome, found.reading, found.identifier) == ("found", "name", None)
    assert found.plan == calvoro.InstalledPlan(POWER_SAVER, "Power saver")
    none = calvoro.find_plan(str(absent))
    assert (none.outcome, none.reading, none.identifier, none.plan) == ("none", "identifier", absent, None)
    assert [plan.id for plan in none.candidates] == [plan.id for plan in calvoro.installed_plans()]
    assert calvoro.same_ignoring_case("Ｐｏｗｅｒ", "ｐｏｗｅｒ") and not calvoro.same_ignoring_case("ß", "SS")
    calvoro.set_default(calvoro.PowerSource.DC, POWER_SAVER)
    assert power.GetDefaultPlaneGUID(False) == POWER_SAVER
    assert calvoro.clear_default(calvoro.PowerSource.DC) is True
    assert calvoro.clear_default(calvoro.PowerSource.DC) is False
    with pytest.raises(TypeError):
        calvoro.set_default("dc", POWER_SAVER)
    simulation.refuse_key_access(simulation.DEFAULT_PLAN_KEY)
    with pytest.raises(calvoro.RegistryAccessError):
        calvoro.set_default(calvoro.PowerSource.AC, POWER_SAVER)


def test_the_source_the_modes_and_policy():
    assert calvoro.power_source() == calvoro.PowerSourceState(calvoro.PowerSource.AC, True, False)
    simulation.set_power(simulation.PowerState(calvoro.PowerSource.SHORT_TERM, False, True))
    assert calvoro.power_source() == calvoro.PowerSourceState(calvoro.PowerSource.SHORT_TERM,
                                                              False, True)
    assert calvoro.power_mode(calvoro.PowerSource.DC) is calvoro.PowerMode.BALANCED
    calvoro.set_power_mode(calvoro.PowerSource.DC, calvoro.PowerMode.BEST_PERFORMANCE)
    assert calvoro.power_mode(calvoro.PowerSource.DC) is calvoro.PowerMode.BEST_PERFORMANCE
    assert simulation.power().dc_mode == uuid.UUID("ded574b5-45a0-4f42-8737-46345c09c238")
    with pytest.raises(ValueError):
        calvoro.power_mode(calvoro.PowerSource.UNKNOWN)
    simulation.inject_status(simulation.Operation.PowerGetUserConfiguredPowerMode, 127)
    with pytest.raises(NotImplementedError):
        calvoro.power_mode(calvoro.PowerSource.AC)
    simulation.inject_status(simulation.Operation.PowerSetUserConfiguredPowerMode, 50)
    with pytest.raises(ValueError):
        calvoro.set_power_mode(calvoro.PowerSource.AC, calvoro.PowerMode.BALANCED)
    assert calvoro.active_plan_pinned_by_policy() is False
    simulation.inject_status(simulation.Operation.PowerSettingAccessCheckEx, 1260)
    assert calvoro.active_plan_pinned_by_policy() is True


def test_the_watcher_calls_back_on_a_change_and_stops_cleanly():
    import queue
    calvoro.set_default(calvoro.PowerSource.DC, POWER_SAVER)
    decisions = queue.Queue()
    watcher = calvoro.Watcher(decisions.put, debounce=0)

    def stop_inside(_):
        try:
            inner.stop()
        except ValueError as error:
            decisions.put(error)

    inner = calvoro.Watcher(stop_inside, debounce=0)
    with watcher:
        assert decisions.get(timeout=30).action is calvoro.WatchAction.NONE_RECORDED
        simulation.set_power(simulation.PowerState(calvoro.PowerSource.DC, True, False))
        applied = decisions.get(timeout=30)
        assert (applied.trigger, applied.source, applied.plan, applied.action) == (
            calvoro.WatchTrigger.SOURCE_CHANGE, calvoro.PowerSource.DC, POWER_SAVER,
            calvoro.WatchAction.APPLIED)
        assert applied.time.tzinfo is not None
    assert decisions.get(timeout=30).action is calvoro.WatchAction.STOPPED
    assert not watcher.running
    simulation.resume()
    assert decisions.empty()
    with inner:
        assert isinstance(decisions.get(timeout=30), ValueError)
    assert calvoro.apply_recorded_plan().action is calvoro.WatchAction.ALREADY_ACTIVE
    with pytest.raises(ValueError):
        calvoro.Watcher(print, debounce=-1)


def test_a_platform_exception_surfaces_with_its_message():
    simulation.inject_exception(simulation.Operation.PowerWriteDCValueIndex, "boom ☀")
    with pytest.raises(calvoro.PlatformError) as raised:
        power.SetDisplayTimer(BALANCED, False, 1)
    assert str(raised.value) == "boom ☀"
    assert power.SetDisplayTimer(BALANCED, False, 1) is True
    simulation.inject_status(simulation.Operation.PowerEnumerate, 5, simulation.Repeat.ALWAYS)
    assert power.EnumPowerSchemeGuid(0) == calvoro.NoPowerSchemeGuid


def test_threads_read_and_rename_without_torn_names():
    names = {"first", "a much longer second name ☀ " + "y" * 200}
    seen = set()

    def work(rename):
        for i in range(200):
            if rename:
                power.WritePowerSchemeNameDescription(HIGH_PERFORMANCE, sorted(names)[i % 2], "d")
            seen.add(power.ReadPowerSchemeName(HIGH_PERFORMANCE))

    threads = [threading.Thread(target=work, args=(t % 2 == 0,)) for t in range(8)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    # None: a rename lengthened the name between the read's size query and its read, which
    # the class reports as no name. Never part of a name, or a mix of two.
    assert seen <= names | {"High performance", None}


def test_simulation_plans_registry_and_snapshots():
    with simulation.snapshot() as seeded:
        plan = simulation.Plan(uuid.uuid4(), "\udc00x", "d", display=(60, 120))
        assert simulation.add_plan(plan) is True
        assert simulation.add_plan(plan) is False
        assert simulation.plans()[-1] == plan
        assert simulation.write_seconds(plan.id, simulation.Timeout.SLEEP, True, 7) is True
        assert simulation.read_seconds(plan.id, simulation.Timeout.SLEEP, True) == 7
        assert calvoro.active_plan() == BALANCED
        assert calvoro.activate(plan.id) is calvoro.Activation.APPLIED
        assert calvoro.active_plan() == plan.id
        assert simulation.remove_plan(plan.id) is True
        assert calvoro.active_plan() is None
        assert calvoro.activate(plan.id) is calvoro.Activation.REFUSED
        assert simulation.read_seconds(plan.id, simulation.Timeout.SLEEP, True) is None
        assert simulation.delete_registry_value("Key", "Bin") is False
        simulation.set_registry_value("Key", "Bin", b"")
        assert simulation.get_registry_value("KEY", "bin") == b""
        assert simulation.delete_registry_key("Key") is True
        assert simulation.remove_plan(BALANCED) is True
        seeded.restore()
    assert power.EnumPowerSchemeGuid(0) == BALANCED


def _in_new_process(code, **environment):
    # A process of its own: this one has its library loaded already, and the choice is final.
    environ = {name: value for name, value in os.environ.items() if not name.startswith("CALVORO_")}
    return subprocess.run([sys.executable, "-c", code], env=dict(environ, **environment),
                          capture_output=True, text=True)


def test_the_package_carries_its_library_and_a_missing_one_names_every_place_tried():
    # Installed from a wheel, with CALVORO_LIBRARY unset, the library is the one inside.
    run = _in_new_process("import calvoro; calvoro.library_version(); print(calvoro._native.library()._name)")
    assert run.returncode == 0, run.stderr
    assert pathlib.Path(run.stdout.strip()).parent == pathlib.Path(calvoro.__file__).parent
    run = _in_new_process("import calvoro; calvoro.library_version()",
                          CALVORO_LIBRARY="/nowhere/libcalvoro.so")
    assert "LibraryNotFoundError" in run.stderr and "CALVORO_LIBRARY: /nowhere/libcalvoro.so" in run.stderr
    assert [where for where, _ in calvoro._native.candidates("simulated", {})][:2] == \
        ["beside the package", "the system's loader"]
    assert calvoro._native.candidates("real", {}, platform="linux") == []
    assert calvoro._native.candidates("real", {}, platform="win32")[0][1].endswith("calvoro.dll")
    error = pytest.raises(calvoro.LibraryNotFoundError, calvoro._native.load, "real", {})
    assert "Windows' power-plan API, which this system lacks" in str(error.value)


def test_a_library_of_another_major_version_is_refused():
    with pytest.raises(calvoro.LibraryVersionError, match=r"is calvoro 2\.0\.1, but this package is calvoro 1\.4\.0"):
        calvoro._native.check_version(2000001, "lib.so", "1.4.0")
    calvoro._native.check_version(1002003, "lib.so", "1.0.0")
    other = os.environ.get("CALVORO_OTHER_MAJOR_LIBRARY")
    if other:
        run = _in_new_process("import calvoro; calvoro.library_version()", CALVORO_LIBRARY=other)
        assert "LibraryVersionError" in run.stderr and f"is calvoro {int(calvoro.__version__[0]) + 1}.0.0" in run.stderr


@pytest.mark.parametrize("windows, from_environment, used, expected", [
    (True, False, False, "real"),
    (True, True, False, "simulated"),   # CALVORO_SIMULATION=1
    (True, False, True, "simulated"),   # simulation.use() first
    (False, False, False, "simulated"),  # no real platform at all
])
def test_the_simulation_serves_only_when_asked_for_or_alone(windows, from_environment, used, expected):
    selection = calvoro._native.Selection(windows, from_environment, lambda flavor: flavor)
    if used:
        selection.use_simulation()
    assert selection.get() == expected
    if expected == "real":
        with pytest.raises(RuntimeError, match="before the first call of PowerClass"):
            selection.use_simulation()
        assert selection.get() == "real"


@pytest.mark.parametrize("outcome, raised", [
    (calvoro.SettingOutcome.DONE, None),
    (calvoro.SettingOutcome.NOT_FOUND, calvoro.SettingNotFoundError),
    (calvoro.SettingOutcome.AMBIGUOUS, calvoro.AmbiguousSettingError),
    (calvoro.SettingOutcome.OUT_OF_RANGE, ValueError),
    (calvoro.SettingOutcome.REFUSED, calvoro.RefusedError),
    (calvoro.SettingOutcome.PINNED_BY_POLICY, calvoro.PinnedByPolicyError),
    (calvoro.SettingOutcome.UNSUPPORTED, NotImplementedError),
])
def test_each_outcome_has_one_exception(outcome, raised):
    from calvoro._settings import check
    try:
        check(outcome, 5, "it")
        got = None
    except Exception as error:  # noqa: BLE001 - the type is what is checked
        got = type(error)
    assert got is raised


@pytest.mark.parametrize("outcome, raised", [
    (calvoro.PlanOutcome.DONE, None),
    (calvoro.PlanOutcome.NOT_FOUND, calvoro.SettingNotFoundError),
    (calvoro.PlanOutcome.ALREADY_EXISTS, FileExistsError),
    (calvoro.PlanOutcome.IS_ACTIVE, calvoro.ActivePlanError),
    (calvoro.PlanOutcome.NOT_STANDARD, ValueError),
    (calvoro.PlanOutcome.FORBIDDEN_BY_POLICY, calvoro.PinnedByPolicyError),
    (calvoro.PlanOutcome.NEEDS_ADMINISTRATOR, PermissionError),
    (calvoro.PlanOutcome.UNSUPPORTED, NotImplementedError),
    (calvoro.PlanOutcome.FAILED, calvoro.RefusedError),
])
def test_each_plan_outcome_has_one_exception(outcome, raised):
    from calvoro._plans import check_plan
    try:
        check_plan(outcome, 5, "it")
        got = None
    except Exception as error:  # noqa: BLE001 - the type is what is checked
        got = type(error)
    assert got is raised


def test_a_plan_copied_deleted_restored_and_made_again_from_a_document():
    ultimate = uuid.UUID("e9a42b02-d5df-448d-aa00-03f14749eb61")
    assert [t.name for t in calvoro.plan_templates() if not t.standard] == ["Ultimate Performance"]
    found = calvoro.find_plan_or_template("ultimate performance")
    assert found.is_template and found.plan.id == ultimate
    game = uuid.UUID("00000000-0000-0000-0000-000000001234")
    assert calvoro.duplicate_plan(BALANCED, "Game", id=game, description="Loud") == game
    with pytest.raises(FileExistsError):
        calvoro.duplicate_plan(BALANCED, id=game)
    copy = calvoro.duplicate_plan(ultimate)
    assert calvoro.PowerClass().ReadPowerSchemeName(copy) == "Ultimate Performance"
    with pytest.raises(calvoro.ActivePlanError):
        calvoro.delete_plan(BALANCED)
    with pytest.raises(ValueError):
        calvoro.restore_plan_defaults(game)
    calvoro.set_default(calvoro.PowerSource.DC, game)
    document = calvoro.export_plans(game)
    assert calvoro.delete_plan(game) == [calvoro.PowerSource.DC]
    with pytest.raises(calvoro.DocumentError):
        calvoro.import_plans(document)
    made = calvoro.import_plans(document, create=True)
    assert made[0].change.kind is calvoro.DocumentChangeKind.CREATE
    assert made[0].change.copy_of == BALANCED and made[0].refusal is None
    assert calvoro.plan_description(game) == "Loud"
    calvoro.restore_default_plans()
    assert len(calvoro.installed_plans()) == 3


def test_the_enumerations_hold_the_c_doors_values():
    import re
    from calvoro._plans import _MODES, SOURCES
    header = pathlib.Path(__file__).resolve().parents[3] / "include" / "calvoro" / "calvoro_c.h"
    defined = {name: int(value) for name, value in
               re.findall(r"#define CALVORO_(\w+) \(?(-?\d+)\)?", header.read_text())}
    # Each binding turns the C door's numbers into members by position.
    for prefix, ordered in (("SETTING_", list(calvoro.SettingOutcome)), ("", list(calvoro.Activation)),
                            ("CHANGE_", list(calvoro.DocumentChangeKind)), ("SOURCE_", SOURCES),
                            ("MODE_", _MODES), ("WATCH_", list(calvoro.WatchAction)),
                            ("TRIGGER_", list(calvoro.WatchTrigger)),
                            ("PLAN_", list(calvoro.PlanOutcome))):
        for position, member in enumerate(ordered):
            assert defined[prefix + member.name] == position, member


def test_settings_listed_found_written_shown_and_each_refusal_raised():
    visible = calvoro.list_settings(BALANCED)
    assert len(visible) >= 20
    assert len(calvoro.list_settings(BALANCED, include_hidden=True)) > len(visible)
    most = calvoro.find_setting(BALANCED, "procthrottlemax")
    assert (most.alias, most.range.max, most.range.units, most.subgroup.alias) == (
        "PROCTHROTTLEMAX", 100, "%", "SUB_PROCESSOR")
    dc = calvoro.PowerSource.DC
    assert calvoro.write_setting(BALANCED, most, dc, 70).reapplied is calvoro.Activation.APPLIED
    assert calvoro.write_setting(POWER_SAVER, most, calvoro.PowerSource.AC, 60).reapplied is None
    assert calvoro.read_setting(BALANCED, most) == calvoro.SettingValues(100, 70)
    with pytest.raises(ValueError, match="100"):
        calvoro.write_setting(BALANCED, most, dc, 101)
    assert calvoro.read_setting(BALANCED, most).dc == 70

    critical = calvoro.find_setting(BALANCED, "BATACTIONCRIT")
    assert calvoro.setting_value_from_text(critical, "sleep") == 1
    with pytest.raises(ValueError, match="Hibernate"):
        calvoro.setting_value_from_text(critical, "nap")
    boost = calvoro.find_setting(BALANCED, "PERFBOOSTMODE")
    calvoro.show_setting(boost)
    assert not calvoro.find_setting(BALANCED, str(boost.id)).hidden
    calvoro.hide_setting(boost)
    assert calvoro.find_setting(BALANCED, "perfboostmode").hidden

    with pytest.raises(calvoro.SettingNotFoundError):
        calvoro.find_setting(BALANCED, "no such setting")
    with pytest.raises(calvoro.SettingNotFoundError):
        calvoro.read_setting(uuid.uuid4(), most)
    simulation.inject_status(simulation.Operation.PowerWriteDCValueIndex, 5)
    with pytest.raises(calvoro.RefusedError) as refused:
        calvoro.write_setting(POWER_SAVER, most, dc, 50)
    assert refused.value.status == 5
    simulation.inject_status(simulation.Operation.PowerReadACValueIndex, 127)
    with pytest.raises(NotImplementedError):
        calvoro.read_setting(BALANCED, most)
    simulation.inject_status(simulation.Operation.PowerSettingAccessCheckEx, 1260,
                             simulation.Repeat.ALWAYS)
    with pytest.raises(calvoro.PinnedByPolicyError):
        calvoro.write_setting(BALANCED, most, calvoro.PowerSource.AC, 50)
    simulation.clear_faults()
    simulation.inject_status(simulation.Operation.PowerGetUserConfiguredPowerMode, 5)
    with pytest.raises(calvoro.RefusedError):
        calvoro.power_mode(calvoro.PowerSource.AC)


def test_a_document_carries_every_setting_and_imports_back_change_by_change():
    import json
    most = calvoro.find_setting(POWER_SAVER, "PROCTHROTTLEMAX")
    document = json.loads(calvoro.export_plans(POWER_SAVER))
    assert document["version"] == 2
    rows = {row.get("alias"): row for row in document["plans"][0]["settings"]}
    assert "PERFBOOSTMODE" in rows  # hidden, yet carried
    rows["PROCTHROTTLEMAX"]["dc"] = 70
    [said] = calvoro.import_plans(json.dumps(document), dry_run=True)
    assert (said.change.key, said.change.from_value, said.change.to_value, said.made) == (
        "PROCTHROTTLEMAX.dc", 100, 70, None)
    assert calvoro.read_setting(POWER_SAVER, most).dc == 100
    [made] = calvoro.import_plans(json.dumps(document))
    assert made.refusal is None and calvoro.read_setting(POWER_SAVER, most).dc == 70

    rows["PROCTHROTTLEMAX"]["dc"] = 101
    with pytest.raises(calvoro.DocumentError, match="PROCTHROTTLEMAX"):
        calvoro.import_plans(json.dumps(document))
    rows["PROCTHROTTLEMAX"].update(dc=50, id="{01234567-89ab-cdef-0102-030405060708}")
    with pytest.raises(calvoro.DocumentError):
        calvoro.import_plans(json.dumps(document))
    [skipped] = calvoro.import_plans(json.dumps(document), skip_unknown=True)
    assert skipped.change.kind is calvoro.DocumentChangeKind.SKIPPED
    assert calvoro.read_setting(POWER_SAVER, most).dc == 70

    rows["VIDEOIDLE"]["dc"] = 60
    simulation.inject_status(simulation.Operation.PowerWriteDCValueIndex, 5)
    refused = [each for each in calvoro.import_plans(json.dumps(document), skip_unknown=True)
               if each.change.key == "VIDEOIDLE.dc"]
    assert refused[0].refusal.status == 5
    with calvoro.PlanDocument(calvoro.export_plans()) as unchanged:
        assert unchanged.changes == []
    with pytest.raises(ValueError, match="closed"):
        unchanged.apply(said.change)

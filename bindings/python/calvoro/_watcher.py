"""The watcher: the plan recorded as the default for the power source, applied at start,
after the source has stayed changed for the debounce time, and after resume from sleep."""
import ctypes
import enum
import threading
import uuid
from dataclasses import dataclass
from datetime import datetime, timezone
from typing import Callable, Optional

from . import _native
from ._plans import SOURCES, PowerSource


class WatchAction(enum.Enum):
    """What the watcher did about one decision."""

    APPLIED = "applied"
    ALREADY_ACTIVE = "already-active"
    KEPT_MANUAL = "kept-manual"  #: the person's plan stays until the source changes
    NONE_RECORDED = "none-recorded"  #: no record for the source, or the source is unknown
    NOT_INSTALLED = "not-installed"
    REFUSED = "refused"
    POLICY = "policy"  #: Group Policy sets the active plan
    STOPPED = "stopped"  #: the last decision
    RECORD_REFUSED = "record-refused"  #: the registry refused access to the record


class WatchTrigger(enum.Enum):
    """What made the watcher decide."""

    START = "start"
    SOURCE_CHANGE = "source"
    RESUME = "resume"
    PLAN_CHANGE = "plan"  #: someone else applied a plan
    STOP = "stop"


@dataclass(frozen=True)
class WatchDecision:
    """One decision: `source` as read (a UPS is SHORT_TERM, which counts as DC), `plan` the
    plan decided about (None when none is recorded)."""

    time: datetime
    trigger: WatchTrigger
    source: PowerSource
    plan: Optional[uuid.UUID]
    action: WatchAction


def _decision(record) -> WatchDecision:
    return WatchDecision(datetime.fromtimestamp(record.time / 1000, timezone.utc),
                         list(WatchTrigger)[record.trigger], SOURCES[record.source],
                         _native.from_c(record.plan) if record.hasPlan else None,
                         list(WatchAction)[record.action])


def apply_recorded_plan() -> WatchDecision:
    """The watcher's start decision, made once: applies the plan recorded for the current
    source when it is installed and not already active."""
    record = _native.WatchDecisionRecord()
    _native.check(_native.library().calvoro_ApplyRecordedPlan(ctypes.byref(record)))
    return _decision(record)


class Watcher:
    """A watcher that hands each decision to `callback`, on the watcher's own thread, one at a
    time; the last one is STOPPED. A callback's exception is printed and dropped. Use it as a
    context manager::

        with calvoro.Watcher(print, debounce=2.0):
            ...  # decisions arrive until the block ends
    """

    def __init__(self, callback: Callable[[WatchDecision], None], debounce: float = 2.0):
        if not callable(callback):
            raise TypeError("the watcher's callback must be callable")
        if not 0 <= debounce <= 0xFFFFFFFF / 1000:
            raise ValueError(f"debounce is seconds from 0 to 49 days, not {debounce!r}")
        self._callback = callback
        self._debounce_ms = round(debounce * 1000)
        self._handle = None
        self._lock = threading.Lock()
        # Kept for as long as the native watcher may call it.
        self._trampoline = _native.WATCH_CALLBACK(lambda record, _: callback(_decision(record[0])))

    @property
    def running(self) -> bool:
        """Whether the watcher runs."""
        return self._handle is not None

    def start(self) -> None:
        """Makes the start decision and subscribes to the platform's notifications; nothing
        when it runs."""
        with self._lock:
            if self._handle is not None:
                return
            handle = ctypes.c_void_p()
            _native.check(_native.library().calvoro_StartWatcher(
                self._debounce_ms, self._trampoline, None, ctypes.byref(handle)))
            self._handle = handle

    def stop(self) -> None:
        """Unsubscribes, waits for a decision in flight and hands over the STOPPED decision;
        after it returns no callback comes. Nothing when it does not run; ValueError from
        inside the callback."""
        with self._lock:
            handle, self._handle = self._handle, None
        if handle is None:
            return
        # Not under the lock: the watcher's last callback may run meanwhile.
        status = _native.library().calvoro_StopWatcher(handle)
        if status != _native.OK:
            with self._lock:
                self._handle = handle  # still running: stopped from inside its callback
            _native.check(status)

    def __enter__(self) -> "Watcher":
        self.start()
        return self

    def __exit__(self, *exception) -> None:
        self.stop()

    def __del__(self):
        # A watcher left running is stopped, not left calling a callback that is gone.
        if getattr(self, "_handle", None) is not None:
            self.stop()

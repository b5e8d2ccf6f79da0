"""The exceptions of the calvoro package."""


class GuidParseError(ValueError):
    """A registry value that should hold a plan identifier does not hold GUID text."""


class RegistryAccessError(PermissionError):
    """The registry refused access to the default-plan key or one of its values."""


class PlatformError(RuntimeError):
    """The platform raised an exception instead of answering; the message is its own. (A call
    that the platform answers with a refusal raises RefusedError instead.)"""


class RefusedError(OSError):
    """The platform refused a read or a change; `status` is its status (a Windows error code),
    0 when it gave none."""

    def __init__(self, message, status=0):
        super().__init__(message)
        self.status = status


class PinnedByPolicyError(PermissionError):
    """Group Policy sets the value on this machine, so it cannot be changed here; nothing was
    tried."""


class SettingNotFoundError(LookupError):
    """No plan or setting is named by the text or identifiers given."""


class AmbiguousSettingError(LookupError):
    """Several settings have the name given; `candidates` lists them. Name one by its alias or
    identifier."""

    def __init__(self, message, candidates=()):
        super().__init__(message)
        self.candidates = list(candidates)


class ActivePlanError(RuntimeError):
    """The active plan is not deleted: activate another plan first. Nothing was tried."""


class DocumentError(ValueError):
    """An export document that cannot be imported; the message names the place. Nothing was
    changed."""


class LibraryNotFoundError(OSError):
    """The native calvoro library could not be loaded; the message names every place tried."""


class LibraryVersionError(OSError):
    """The native calvoro library that was found is of another major version than this package;
    the message names both versions."""

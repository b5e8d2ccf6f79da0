"""The exceptions of the calvoro package."""


class GuidParseError(ValueError):
    """A registry value that should hold a plan identifier does not hold GUID text."""


class RegistryAccessError(PermissionError):
    """The registry refused access to the default-plan key or one of its values."""


class PlatformError(RuntimeError):
    """The platform raised an exception instead of answering; the message is its own."""


class LibraryNotFoundError(OSError):
    """The native calvoro library could not be loaded; the message names every place tried."""


class LibraryVersionError(OSError):
    """The native calvoro library that was found is of another major version than this package;
    the message names both versions."""

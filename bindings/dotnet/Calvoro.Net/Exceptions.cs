using System;
using System.Collections.Generic;

namespace Calvoro
{
    /// <summary>A registry value that should hold a plan identifier does not hold GUID text.
    /// The message names the value and quotes the text.</summary>
    public class GuidParseException : FormatException
    {
        /// <summary>Creates the exception with its message.</summary>
        /// <param name="message">What was wrong, and where.</param>
        public GuidParseException(string message) : base(message) { }
    }

    /// <summary>The registry refused the current user access to the default-plan key or one
    /// of its values. The message names the key and value.</summary>
    public class RegistryAccessException : UnauthorizedAccessException
    {
        /// <summary>Creates the exception with its message.</summary>
        /// <param name="message">What was refused.</param>
        public RegistryAccessException(string message) : base(message) { }
    }

    /// <summary>The platform raised an exception instead of answering a call; the message is
    /// the platform's own, after the name of the native function. (A call that the platform
    /// answers with a refusal throws <see cref="PlatformRefusedException"/> instead.)</summary>
    public class PlatformException : Exception
    {
        /// <summary>Creates the exception with its message.</summary>
        /// <param name="message">The platform's message.</param>
        public PlatformException(string message) : base(message) { }
    }

    /// <summary>The platform answered a change or a read with a refusal (the Refused outcome):
    /// <see cref="Status"/> is its status, 0 when it gave none.</summary>
    public class PlatformRefusedException : Exception
    {
        /// <summary>Creates the exception with its message and the platform's status.</summary>
        /// <param name="message">What was refused.</param>
        /// <param name="status">The platform's status.</param>
        public PlatformRefusedException(string message, uint status) : base(message) => Status = status;

        /// <summary>The platform's status (a Windows error code), 0 when it gave none.</summary>
        public uint Status { get; }
    }

    /// <summary>Group Policy sets the value on this machine, so it cannot be changed here
    /// (the PinnedByPolicy outcome); nothing was tried.</summary>
    public class PinnedByPolicyException : UnauthorizedAccessException
    {
        /// <summary>Creates the exception with its message.</summary>
        /// <param name="message">What policy sets.</param>
        public PinnedByPolicyException(string message) : base(message) { }
    }

    /// <summary>No setting (or plan) is named by the text or identifiers given (the NotFound
    /// outcome).</summary>
    public class SettingNotFoundException : KeyNotFoundException
    {
        /// <summary>Creates the exception with its message.</summary>
        /// <param name="message">What was not found.</param>
        public SettingNotFoundException(string message) : base(message) { }
    }

    /// <summary>Several settings have the name given (the Ambiguous outcome): name one by its
    /// alias or identifier.</summary>
    public class AmbiguousSettingException : InvalidOperationException
    {
        /// <summary>Creates the exception with its message and the settings that share the name.</summary>
        /// <param name="message">The name, and what to do.</param>
        /// <param name="candidates">The settings that have it.</param>
        public AmbiguousSettingException(string message, IReadOnlyList<PowerSetting> candidates) : base(message) =>
            Candidates = candidates;

        /// <summary>The settings that have the name.</summary>
        public IReadOnlyList<PowerSetting> Candidates { get; }
    }

    /// <summary>An export document that cannot be imported (the native CALVORO_E_DOCUMENT):
    /// the message names the place, as "document.plans[1].settings[4].dc: ...". Nothing was
    /// changed.</summary>
    public class DocumentException : FormatException
    {
        /// <summary>Creates the exception with its message.</summary>
        /// <param name="message">What is wrong, and where.</param>
        public DocumentException(string message) : base(message) { }
    }
}

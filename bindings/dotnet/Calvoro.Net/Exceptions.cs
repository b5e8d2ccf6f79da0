using System;

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
    /// the platform's own, after the name of the native function.</summary>
    public class PlatformException : Exception
    {
        /// <summary>Creates the exception with its message.</summary>
        /// <param name="message">The platform's message.</param>
        public PlatformException(string message) : base(message) { }
    }
}

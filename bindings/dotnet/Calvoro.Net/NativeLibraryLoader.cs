using System;
using System.Collections.Generic;
using System.IO;
using System.Linq;
using System.Reflection;
using System.Runtime.InteropServices;
using System.Text;

namespace Calvoro
{
    /// <summary>The two native libraries that carry Calvoro's C interface.</summary>
    internal enum LibraryFlavor
    {
        /// <summary>calvoro: Windows' real power plans (Windows only).</summary>
        Real,
        /// <summary>calvoro_simulated: the simulated machine and its controls (any system).</summary>
        Simulated,
    }

    /// <summary>
    /// Where each native library lives for a process, decided from the system and the
    /// process's architecture alone, so that every case can be tested on one machine.
    /// </summary>
    internal sealed class LibraryLayout
    {
        private LibraryLayout(string fileName, string runtimeIdentifier, string architectureFolder)
        {
            FileName = fileName;
            RuntimeIdentifier = runtimeIdentifier;
            ArchitectureFolder = architectureFolder;
        }

        /// <summary>The library's file name on that system.</summary>
        internal string FileName { get; }

        /// <summary>The runtime identifier whose runtimes/RID/native folder holds it.</summary>
        internal string RuntimeIdentifier { get; }

        /// <summary>The folder beside a .NET Framework application that holds it (x64, x86).</summary>
        internal string ArchitectureFolder { get; }

        /// <summary>The layout for a process, or an exception that says why no library exists
        /// for it.</summary>
        internal static LibraryLayout For(LibraryFlavor flavor, bool windows, Architecture architecture)
        {
            if (windows)
            {
                string file = flavor == LibraryFlavor.Real ? "calvoro.dll" : "calvoro_simulated.dll";
                switch (architecture)
                {
                    case Architecture.X64:
                        return new LibraryLayout(file, "win-x64", "x64");
                    case Architecture.X86:
                        return new LibraryLayout(file, "win-x86", "x86");
                    case Architecture.Arm64:
                        throw new PlatformNotSupportedException(
                            "Calvoro has no native library for Arm64 processes. Build the application " +
                            "for x64 (RuntimeIdentifier win-x64, or PlatformTarget x64): an x64 " +
                            "process runs on ARM64 Windows under emulation.");
                }
            }
            else if (flavor == LibraryFlavor.Simulated && architecture == Architecture.X64)
            {
                return new LibraryLayout("libcalvoro_simulated.so", "linux-x64", "x64");
            }
            else if (flavor == LibraryFlavor.Real)
            {
                throw new PlatformNotSupportedException(
                    "Calvoro's real platform is Windows' power-plan API, which this system does not " +
                    "have. Reference the Calvoro.Net.Simulation package to run on the simulated machine.");
            }
            throw new PlatformNotSupportedException(
                $"Calvoro has no native library for {architecture} processes on this system; its " +
                "simulated machine is built for linux-x64, win-x64 and win-x86.");
        }

        /// <summary>The paths to try, in order: each folder's architecture subfolder (the .NET
        /// Framework layout), the folder itself (an application built for one runtime) and its
        /// runtimes/RID/native folder (a portable .NET application), then the folders that the
        /// runtime lists for native assets.</summary>
        internal IReadOnlyList<string> Candidates(IEnumerable<string> folders, IEnumerable<string> nativeSearchFolders)
        {
            var paths = new List<string>();
            foreach (string folder in folders)
            {
                paths.Add(Path.Combine(folder, ArchitectureFolder, FileName));
                paths.Add(Path.Combine(folder, FileName));
                paths.Add(Path.Combine(folder, "runtimes", RuntimeIdentifier, "native", FileName));
            }
            paths.AddRange(nativeSearchFolders.Select(folder => Path.Combine(folder, FileName)));
            return paths.Distinct(StringComparer.Ordinal).ToList();
        }
    }

    /// <summary>
    /// Which native library a process uses: the real one, unless the simulation was asked for
    /// before the first call, or the system has no real one. Once a library is open the choice
    /// is final, so that a process never mixes the real platform with the simulated one.
    /// </summary>
    internal sealed class LibrarySelection<TLibrary> where TLibrary : class
    {
        private readonly object gate = new object();
        private readonly bool realPlatformExists;
        private readonly Func<LibraryFlavor, TLibrary> open;
        private bool simulationRequested;
        private LibraryFlavor openFlavor;
        private volatile TLibrary? library;

        internal LibrarySelection(bool realPlatformExists, bool simulationRequested,
            Func<LibraryFlavor, TLibrary> open)
        {
            this.realPlatformExists = realPlatformExists;
            this.simulationRequested = simulationRequested;
            this.open = open;
        }

        /// <summary>The library, opened on first use.</summary>
        internal TLibrary Library => library ?? Open();

        /// <summary>Asks for the simulated machine; an error once the real library is open.</summary>
        internal void UseSimulation()
        {
            lock (gate)
            {
                if (library != null && openFlavor == LibraryFlavor.Real)
                {
                    throw new InvalidOperationException(
                        "Calvoro already uses Windows' real power plans in this process, so it cannot " +
                        "switch to the simulated machine. Call Simulation.Use() (or set " +
                        "CALVORO_SIMULATION=1) before the first call of PowerClass.");
                }
                simulationRequested = true;
            }
        }

        private TLibrary Open()
        {
            lock (gate)
            {
                if (library == null)
                {
                    LibraryFlavor flavor = simulationRequested || !realPlatformExists
                        ? LibraryFlavor.Simulated
                        : LibraryFlavor.Real;
                    TLibrary opened = open(flavor);
                    openFlavor = flavor;
                    library = opened;
                }
                return library;
            }
        }
    }

    /// <summary>The process's Calvoro native library: found, opened and checked on first use.</summary>
    internal static class NativeLibraryLoader
    {
        /// <summary>Names a native library to load instead of searching for one.</summary>
        internal const string LibraryVariable = "CALVORO_LIBRARY";

        /// <summary>"1" selects the simulated machine on Windows before the first call.</summary>
        internal const string SimulationVariable = "CALVORO_SIMULATION";

        private static readonly bool IsWindows = RuntimeInformation.IsOSPlatform(OSPlatform.Windows);

        internal static readonly LibrarySelection<CalvoroLibrary> Selection = new LibrarySelection<CalvoroLibrary>(
            realPlatformExists: IsWindows,
            simulationRequested: Environment.GetEnvironmentVariable(SimulationVariable) == "1",
            open: Find);

        /// <summary>The loaded library.</summary>
        internal static CalvoroLibrary Library => Selection.Library;

        private static CalvoroLibrary Find(LibraryFlavor flavor)
        {
            string? chosen = Environment.GetEnvironmentVariable(LibraryVariable);
            if (!string.IsNullOrEmpty(chosen))
            {
                return CalvoroLibrary.Open(chosen!, flavor);
            }
            LibraryLayout layout = LibraryLayout.For(flavor, IsWindows, RuntimeInformation.ProcessArchitecture);
            var folders = new[]
            {
                Path.GetDirectoryName(typeof(NativeLibraryLoader).Assembly.Location),
                AppContext.BaseDirectory,
            }.Where(folder => !string.IsNullOrEmpty(folder)).Select(folder => folder!);
            string searchPath = AppContext.GetData("NATIVE_DLL_SEARCH_DIRECTORIES") as string ?? string.Empty;
            var nativeFolders = searchPath.Split(new[] { Path.PathSeparator }, StringSplitOptions.RemoveEmptyEntries);
            IReadOnlyList<string> candidates = layout.Candidates(folders, nativeFolders);
            string? path = candidates.FirstOrDefault(File.Exists);
            if (path == null)
            {
                string package = flavor == LibraryFlavor.Real ? "Calvoro.Net" : "Calvoro.Net.Simulation";
                throw new DllNotFoundException(
                    $"Calvoro's native library {layout.FileName} ({layout.RuntimeIdentifier}, from the " +
                    $"{package} package) was not found. Looked in:{Environment.NewLine}  " +
                    string.Join(Environment.NewLine + "  ", candidates));
            }
            return CalvoroLibrary.Open(path, flavor);
        }
    }

    /// <summary>An opened Calvoro native library, kept for the life of the process.</summary>
    internal sealed unsafe class CalvoroLibrary
    {
        private readonly IntPtr handle;

        private CalvoroLibrary(IntPtr handle, string path, LibraryFlavor flavor)
        {
            this.handle = handle;
            Path = path;
            Flavor = flavor;
        }

        /// <summary>Where it was loaded from.</summary>
        internal string Path { get; }

        /// <summary>Which of the two libraries it is.</summary>
        internal LibraryFlavor Flavor { get; }

        /// <summary>Its C interface.</summary>
        internal NativeMethods.Functions Functions { get; private set; } = null!;

        /// <summary>Opens the library at <paramref name="path"/> and checks that its major
        /// version is this binding's; a library of another version is closed again.</summary>
        internal static CalvoroLibrary Open(string path, LibraryFlavor flavor)
        {
            IntPtr handle = SystemLoader.Open(path);
            var library = new CalvoroLibrary(handle, path, flavor);
            try
            {
                var versionNumber = (delegate* unmanaged[Cdecl]<uint>)library.Export("calvoro_VersionNumber");
                CheckVersion(versionNumber(), BindingVersion, path);
                library.Functions = new NativeMethods.Functions(library);
                return library;
            }
            catch
            {
                SystemLoader.Close(handle);
                throw;
            }
        }

        /// <summary>This binding's own version.</summary>
        internal static Version BindingVersion => typeof(CalvoroLibrary).Assembly.GetName().Version!;

        /// <summary>Refuses a library whose major version differs from the binding's.</summary>
        internal static void CheckVersion(uint libraryNumber, Version binding, string path)
        {
            uint major = libraryNumber / 1000000, minor = libraryNumber / 1000 % 1000, patch = libraryNumber % 1000;
            if (major != binding.Major)
            {
                throw new InvalidOperationException(
                    $"The native library {path} is Calvoro {major}.{minor}.{patch}, but Calvoro.Net is " +
                    $"{binding.Major}.{binding.Minor}.{binding.Build}: their major versions differ, so " +
                    "they do not work together. Use the native library of the same package version.");
            }
        }

        /// <summary>The address of a C function in the library.</summary>
        internal IntPtr Export(string name)
        {
            IntPtr address = SystemLoader.Symbol(handle, name);
            if (address == IntPtr.Zero)
            {
                throw new EntryPointNotFoundException($"The native library {Path} has no function {name}.");
            }
            return address;
        }

        /// <summary>The system's own loader: LoadLibrary on Windows, dlopen elsewhere.</summary>
        private static class SystemLoader
        {
            private const uint LoadWithAlteredSearchPath = 0x8;
            private const int RtldNow = 2;

            internal static IntPtr Open(string path)
            {
                IntPtr handle;
                string error;
                if (RuntimeInformation.IsOSPlatform(OSPlatform.Windows))
                {
                    handle = LoadLibraryExW(path, IntPtr.Zero, LoadWithAlteredSearchPath);
                    error = $"Windows error {Marshal.GetLastWin32Error()}";
                }
                else
                {
                    fixed (byte* name = Terminated(path))
                    {
                        handle = dlopen(name, RtldNow);
                    }
                    error = Utf8(dlerror());
                }
                if (handle == IntPtr.Zero)
                {
                    throw new DllNotFoundException($"Calvoro's native library {path} could not be loaded: {error}");
                }
                return handle;
            }

            internal static IntPtr Symbol(IntPtr handle, string name)
            {
                fixed (byte* text = Terminated(name))
                {
                    return RuntimeInformation.IsOSPlatform(OSPlatform.Windows)
                        ? GetProcAddress(handle, text)
                        : dlsym(handle, text);
                }
            }

            internal static void Close(IntPtr handle)
            {
                if (RuntimeInformation.IsOSPlatform(OSPlatform.Windows))
                {
                    FreeLibrary(handle);
                }
                else
                {
                    dlclose(handle);
                }
            }

            private static byte[] Terminated(string text) => Encoding.UTF8.GetBytes(text + "\0");

            private static string Utf8(byte* text) => NativeMethods.Utf8(text);

            [DllImport("kernel32", CharSet = CharSet.Unicode, SetLastError = true)]
            private static extern IntPtr LoadLibraryExW(string path, IntPtr file, uint flags);

            [DllImport("kernel32")]
            private static extern IntPtr GetProcAddress(IntPtr module, byte* name);

            [DllImport("kernel32")]
            private static extern int FreeLibrary(IntPtr module);

            [DllImport("libdl.so.2")]
            private static extern IntPtr dlopen(byte* path, int flags);

            [DllImport("libdl.so.2")]
            private static extern IntPtr dlsym(IntPtr handle, byte* name);

            [DllImport("libdl.so.2")]
            private static extern int dlclose(IntPtr handle);

            [DllImport("libdl.so.2")]
            private static extern byte* dlerror();
        }
    }
}

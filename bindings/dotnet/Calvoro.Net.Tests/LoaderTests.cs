using System;
using System.IO;
using System.Linq;
using System.Runtime.InteropServices;
using Xunit;

namespace Calvoro.Tests
{
    // Which native library a process loads, decided for every system and architecture here.
    public sealed class LoaderTests
    {
        [Theory]
        [InlineData(false, true, Architecture.X64, "calvoro.dll", "win-x64", "x64")]
        [InlineData(false, true, Architecture.X86, "calvoro.dll", "win-x86", "x86")]
        [InlineData(true, true, Architecture.X64, "calvoro_simulated.dll", "win-x64", "x64")]
        [InlineData(true, true, Architecture.X86, "calvoro_simulated.dll", "win-x86", "x86")]
        [InlineData(true, false, Architecture.X64, "libcalvoro_simulated.so", "linux-x64", "x64")]
        [InlineData(false, true, Architecture.Arm64, null, null, "runs on ARM64 Windows under emulation")]
        [InlineData(true, true, Architecture.Arm64, null, null, "Build the application for x64")]
        [InlineData(false, false, Architecture.X64, null, null, "Reference the Calvoro.Net.Simulation package")]
        [InlineData(true, false, Architecture.Arm64, null, null, "built for linux-x64, win-x64 and win-x86")]
        public void EachProcessGetsItsLibraryOrAReason(bool simulated, bool windows, Architecture architecture,
            string? file, string? runtimeIdentifier, string folderOrReason)
        {
            LibraryFlavor flavor = simulated ? LibraryFlavor.Simulated : LibraryFlavor.Real;
            if (file == null)
            {
                var thrown = Assert.Throws<PlatformNotSupportedException>(() => LibraryLayout.For(flavor, windows, architecture));
                Assert.Contains(folderOrReason, thrown.Message);
                return;
            }
            LibraryLayout layout = LibraryLayout.For(flavor, windows, architecture);
            Assert.Equal((file, runtimeIdentifier, folderOrReason),
                (layout.FileName, layout.RuntimeIdentifier, layout.ArchitectureFolder));
            // The .NET Framework folder first, then an application's own folder, then the
            // portable layout, then what the runtime lists; each path once.
            Assert.Equal(new[]
                {
                    Path.Combine("app", folderOrReason, file), Path.Combine("app", file),
                    Path.Combine("app", "runtimes", runtimeIdentifier!, "native", file), Path.Combine("deps", file),
                },
                layout.Candidates(new[] { "app", "app" }, new[] { "deps", "app/runtimes/" + runtimeIdentifier + "/native" }));
        }

        [Theory]
        [InlineData(true, false, false, "Real")]
        [InlineData(true, true, false, "Simulated")]   // CALVORO_SIMULATION=1
        [InlineData(true, false, true, "Simulated")]   // Simulation.Use() first
        [InlineData(false, false, false, "Simulated")] // no real platform at all
        public void TheSimulationServesOnlyWhenAskedForOrAlone(bool windows, bool fromEnvironment, bool used,
            string expected)
        {
            var selection = new LibrarySelection<string>(windows, fromEnvironment, flavor => flavor.ToString());
            if (used)
            {
                selection.UseSimulation();
            }
            Assert.Equal(expected, selection.Library);
            if (expected == "Simulated")
            {
                selection.UseSimulation();  // asking again changes nothing
                Assert.Equal(expected, selection.Library);
            }
        }

        [Fact]
        public void TheSimulationAfterTheRealPlatformIsAnError()
        {
            int opened = 0;
            var selection = new LibrarySelection<string>(true, false, flavor => { opened++; return flavor.ToString(); });
            Assert.Equal("Real", selection.Library);
            var thrown = Assert.Throws<InvalidOperationException>(() => selection.UseSimulation());
            Assert.Contains("before the first call of PowerClass", thrown.Message);
            Assert.Equal(("Real", 1), (selection.Library, opened));
        }

        [Fact]
        public void ALibraryOfAnotherMajorVersionIsRefused()
        {
            CalvoroLibrary.CheckVersion(1002003, new Version(1, 0, 0), "same major");
            var thrown = Assert.Throws<InvalidOperationException>(
                () => CalvoroLibrary.CheckVersion(2000001, new Version(1, 4, 0), "lib.so"));
            Assert.Contains("lib.so is Calvoro 2.0.1, but Calvoro.Net is 1.4.0", thrown.Message);

            // A real library built with another major version (scripts/test-dotnet builds it).
            string? other = Environment.GetEnvironmentVariable("CALVORO_OTHER_MAJOR_LIBRARY");
            if (other != null)
            {
                thrown = Assert.Throws<InvalidOperationException>(() => CalvoroLibrary.Open(other, LibraryFlavor.Simulated));
                Assert.Contains($"is Calvoro {CalvoroLibrary.BindingVersion.Major + 1}.0.0", thrown.Message);
            }
            Assert.Matches(@"^\d+\.\d+\.\d+$", PowerClass.LibraryVersion);
        }
    }
}

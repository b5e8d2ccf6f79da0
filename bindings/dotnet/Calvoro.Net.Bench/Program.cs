using System;
using System.Runtime.InteropServices;
using BenchmarkDotNet.Attributes;
using BenchmarkDotNet.Running;

namespace Calvoro.Bench
{
    [MemoryDiagnoser]
    public unsafe class GetSleepTimerCost
    {
        private static readonly Guid PowerSaver = new Guid("A1841308-3541-4FAB-BC81-F71556F20B4A");
        private readonly PowerClass power = new PowerClass();

        [DllImport("calvoro_simulated", CallingConvention = CallingConvention.Cdecl)]
        private static extern int calvoro_GetSleepTimer(Guid* SchemeGuid, int bOnAC, uint* minutes);

        [GlobalSetup]
        public void Seed() => Simulation.Reset();

        [Benchmark(Baseline = true)]
        public uint CFunction()
        {
            Guid plan = PowerSaver;
            uint minutes;
            calvoro_GetSleepTimer(&plan, 1, &minutes);
            return minutes;
        }

        [Benchmark]
        public uint PowerClassGetSleepTimer() => power.GetSleepTimer(PowerSaver, true);
    }

    public static class Program
    {
        public static void Main(string[] args) =>
            BenchmarkSwitcher.FromAssembly(typeof(Program).Assembly).Run(args);
    }
}

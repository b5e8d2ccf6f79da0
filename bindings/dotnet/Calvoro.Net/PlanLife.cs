using System;
using System.Collections.Generic;
using System.Linq;

namespace Calvoro
{
    /// <summary>How making, removing or restoring a plan went; each outcome but Done is thrown
    /// as one exception (<see cref="Outcomes.Check(PlanOutcome, uint, string)"/>).</summary>
    public enum PlanOutcome
    {
        /// <summary>Done.</summary>
        Done,
        /// <summary>No such plan (nor template, for a copy).</summary>
        NotFound,
        /// <summary>The new identifier is installed already; nothing was made.</summary>
        AlreadyExists,
        /// <summary>The active plan is not deleted: apply another plan first.</summary>
        IsActive,
        /// <summary>A custom plan has no Windows defaults to restore.</summary>
        NotStandard,
        /// <summary>Group Policy forbids creating and restoring plans; nothing was tried.</summary>
        ForbiddenByPolicy,
        /// <summary>The platform refused access: an administrator may do it.</summary>
        NeedsAdministrator,
        /// <summary>The platform lacks the call.</summary>
        Unsupported,
        /// <summary>Another refusal, with the platform's status.</summary>
        Failed,
    }

    /// <summary>One of Windows' published plan templates, which
    /// <see cref="PowerPlans.Duplicate"/> copies whether Windows lists the plan or not.</summary>
    public sealed class PlanTemplate
    {
        internal PlanTemplate(Guid id, string name, bool standard)
        {
            Id = id;
            Name = name;
            Standard = standard;
        }

        /// <summary>The template's identifier.</summary>
        public Guid Id { get; }
        /// <summary>Windows' English name for it.</summary>
        public string Name { get; }
        /// <summary>Whether Windows lists it on this machine, and restoring the defaults brings it back.</summary>
        public bool Standard { get; }
    }

    public static partial class Outcomes
    {
        /// <summary>Returns for Done; throws the plan operation's outcome as its exception otherwise.</summary>
        /// <param name="outcome">The outcome.</param>
        /// <param name="status">The platform's status, for Failed.</param>
        /// <param name="what">What was asked, for the message.</param>
        /// <exception cref="SettingNotFoundException">NotFound.</exception>
        /// <exception cref="ArgumentException">AlreadyExists.</exception>
        /// <exception cref="InvalidOperationException">IsActive.</exception>
        /// <exception cref="NotSupportedException">NotStandard.</exception>
        /// <exception cref="PinnedByPolicyException">ForbiddenByPolicy.</exception>
        /// <exception cref="UnauthorizedAccessException">NeedsAdministrator.</exception>
        /// <exception cref="PlatformNotSupportedException">Unsupported.</exception>
        /// <exception cref="PlatformRefusedException">Failed.</exception>
        public static void Check(PlanOutcome outcome, uint status, string what)
        {
            switch (outcome)
            {
                case PlanOutcome.Done:
                    return;
                case PlanOutcome.NotFound:
                    throw new SettingNotFoundException($"{what}: no such plan.");
                case PlanOutcome.AlreadyExists:
                    throw new ArgumentException($"{what}: a plan with that identifier is installed already; nothing was made.", "id");
                case PlanOutcome.IsActive:
                    throw new InvalidOperationException($"{what}: it is the active plan; apply another plan first.");
                case PlanOutcome.NotStandard:
                    throw new NotSupportedException($"{what}: a custom plan has no Windows defaults to restore.");
                case PlanOutcome.ForbiddenByPolicy:
                    throw new PinnedByPolicyException($"{what}: Group Policy forbids creating and restoring plans on this machine.");
                case PlanOutcome.NeedsAdministrator:
                    throw new UnauthorizedAccessException($"{what}: Windows refused access; an administrator may do it.");
                case PlanOutcome.Unsupported:
                    throw new PlatformNotSupportedException($"{what}: this platform lacks the call for it.");
                case PlanOutcome.Failed:
                    throw new PlatformRefusedException($"{what}: the platform refused (status {status}).", status);
                default:
                    throw new ArgumentOutOfRangeException(nameof(outcome), outcome, "not an outcome");
            }
        }
    }

    public sealed partial class PowerPlans
    {
        /// <summary>Windows' templates: Balanced, High performance, Power saver and Ultimate Performance.</summary>
        /// <returns>Each with whether Windows lists it here.</returns>
        public unsafe IReadOnlyList<PlanTemplate> GetTemplates()
        {
            uint count;
            NativeMethods.Check(NativeMethods.C.PlanTemplates(null, 0, &count));
            var records = new NativeMethods.PlanTemplateRecord[count];
            fixed (NativeMethods.PlanTemplateRecord* into = records)
            {
                NativeMethods.Check(NativeMethods.C.PlanTemplates(into, count, &count));
            }
            return records.Take((int)count).Select((record, index) => new PlanTemplate(
                record.Id,
                NativeMethods.ReadText((units, capacity, length) => NativeMethods.C.PlanTemplateName((uint)index, units, capacity, length)),
                record.Standard != 0)).ToList();
        }

        /// <summary>As <see cref="Find"/>; where no installed plan matches, a template by
        /// identifier or name (ignoring letter case) is the one candidate, and
        /// <see cref="PlanLookup.IsTemplate"/> is <c>true</c>. An installed plan's name wins.</summary>
        /// <param name="text">What the person typed.</param>
        /// <returns>The plan or template found, or why there is none, with the candidates.</returns>
        public unsafe PlanLookup FindPlanOrTemplate(string text)
        {
            int isTemplate = 0;
            var (record, candidates) = Lookup(text, (units, length, found, ids, capacity, count) =>
            {
                int flag;
                int status = NativeMethods.C.FindPlanOrTemplate(units, length, found, ids, capacity, count, &flag);
                isTemplate = flag;
                return status;
            });
            IEnumerable<PowerPlan> plans = isTemplate != 0
                ? candidates.Select(id => new PowerPlan(id, GetTemplates().FirstOrDefault(t => t.Id == id)?.Name, new uint[6]))
                : candidates.Select(Read);
            return new PlanLookup((PlanLookupOutcome)record.Outcome, (PlanLookupReading)record.Reading,
                                  record.Identified != 0 ? record.Identifier : (Guid?)null, plans.ToList(),
                                  isTemplate != 0);
        }

        /// <summary>Copies an installed plan or a template with every setting, its description
        /// and personality. Without a name the copy keeps the source's, as Windows does.</summary>
        /// <param name="source">The plan or template copied.</param>
        /// <param name="name">The copy's name, written in the same operation (a copy that
        /// cannot be named is removed again).</param>
        /// <param name="id">The copy's identifier; <c>null</c> lets Windows pick one.</param>
        /// <param name="description">The copy's description, with a name; <c>null</c> keeps the source's.</param>
        /// <returns>The copy's identifier.</returns>
        /// <exception cref="ArgumentException">A plan with <paramref name="id"/> is installed already, or a description without a name.</exception>
        /// <exception cref="PinnedByPolicyException">Group Policy forbids creating plans.</exception>
        public unsafe Guid Duplicate(Guid source, string? name = null, Guid? id = null, string? description = null)
        {
            if (description != null && name is null)
            {
                throw new ArgumentException("A description is written together with a name.", nameof(description));
            }
            Guid chosen = id ?? Guid.Empty;
            NativeMethods.PlanResultRecord result;
            fixed (char* nameUnits = name)
            fixed (char* descriptionUnits = description)
            {
                NativeMethods.Check(NativeMethods.C.DuplicatePlan(&source, id.HasValue ? &chosen : null,
                    nameUnits, (uint)(name?.Length ?? 0), descriptionUnits, (uint)(description?.Length ?? 0), &result));
            }
            Outcomes.Check((PlanOutcome)result.Outcome, result.Status, $"Copying {source}");
            return result.Plan;
        }

        /// <summary>Removes a plan; the default records are left as they are.</summary>
        /// <param name="plan">The plan's identifier.</param>
        /// <returns>The sources whose default record still names the removed plan.</returns>
        /// <exception cref="InvalidOperationException">It is the active plan: apply another first.</exception>
        public unsafe IReadOnlyList<PowerSource> Delete(Guid plan)
        {
            NativeMethods.PlanResultRecord result;
            NativeMethods.Check(NativeMethods.C.DeletePlan(&plan, &result));
            Outcomes.Check((PlanOutcome)result.Outcome, result.Status, $"Deleting {plan}");
            int records = result.Records;
            return new[] { (Source: PowerSource.AC, Bit: 1), (Source: PowerSource.DC, Bit: 2) }
                .Where(record => (records & record.Bit) != 0).Select(record => record.Source).ToList();
        }

        /// <summary>Removes every custom plan and gives Windows' plans their default settings;
        /// Balanced is active afterwards if the active plan went.</summary>
        /// <exception cref="UnauthorizedAccessException">Windows asks an administrator for it.</exception>
        public unsafe void RestoreDefaults()
        {
            NativeMethods.PlanResultRecord result;
            NativeMethods.Check(NativeMethods.C.RestoreDefaultPlans(&result));
            Outcomes.Check((PlanOutcome)result.Outcome, result.Status, "Restoring the default plans");
        }

        /// <summary>Gives one of Windows' plans its default settings, name and description again.</summary>
        /// <param name="plan">The plan's identifier.</param>
        /// <exception cref="NotSupportedException">A custom plan, which has no Windows defaults.</exception>
        public unsafe void RestoreDefaults(Guid plan)
        {
            NativeMethods.PlanResultRecord result;
            NativeMethods.Check(NativeMethods.C.RestorePlanDefaults(&plan, 0, &result));
            Outcomes.Check((PlanOutcome)result.Outcome, result.Status, $"Restoring the defaults of {plan}");
        }
    }
}

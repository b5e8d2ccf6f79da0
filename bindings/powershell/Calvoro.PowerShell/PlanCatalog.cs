using System;
using System.Collections;
using System.Collections.Generic;
using System.Linq;
using System.Management.Automation;
using System.Management.Automation.Language;

namespace Calvoro.PowerShell
{
    /// <summary>A plan that a cmdlet was asked for and that is not installed: the message
    /// says what was asked and lists the installed plans.</summary>
    internal sealed class PlanNotFoundException : Exception
    {
        internal PlanNotFoundException(string message) : base(message) { }
    }

    /// <summary>
    /// The installed plans as one cmdlet call sees them, read once, with their timeouts. Plans are named as Windows' own
    /// tool names them: by name, by identifier, or by the aliases of the standard plans.
    /// </summary>
    internal sealed class PlanCatalog
    {
        /// <summary>Windows' aliases for its standard plans and the active plan, which the
        /// library's lookup reads; here only to complete them.</summary>
        internal static readonly string[] AliasNames = { "SCHEME_BALANCED", "SCHEME_MIN", "SCHEME_MAX", "SCHEME_CURRENT" };

        private PlanCatalog(IReadOnlyList<PowerPlan> plans) => Plans = plans;

        /// <summary>The class, for the calls that only it has: a plan's name with its
        /// description, and the recorded defaults.</summary>
        internal static PowerClass Power { get; } = new PowerClass();

        /// <summary>The idiomatic face over <see cref="Power"/>.</summary>
        internal static PowerPlans Face { get; } = new PowerPlans(Power);

        /// <summary>Every setting of a plan.</summary>
        internal static PowerSettings Settings { get; } = new PowerSettings();

        /// <summary>The installed plans, in the platform's order.</summary>
        internal IReadOnlyList<PowerPlan> Plans { get; }

        /// <summary>Reads the installed plans.</summary>
        internal static PlanCatalog Read() => new PlanCatalog(Face.GetAll());

        /// <summary>The plan that <paramref name="word"/> names, by the library's lookup
        /// (<see cref="PowerPlans.Find"/>): an alias, GUID text, or a plan's name: the exact
        /// name of exactly one plan, else the one name that is the same ignoring letter case.</summary>
        /// <exception cref="PlanNotFoundException">No installed plan is named so.</exception>
        /// <exception cref="ArgumentException">The name is ambiguous.</exception>
        internal PowerPlan Resolve(string word)
        {
            PlanLookup lookup = Face.Find(word);
            switch (lookup.Outcome)
            {
                case PlanLookupOutcome.Found:
                    return ById(lookup.Plan!.Id) ?? lookup.Plan;
                case PlanLookupOutcome.Several:
                    throw new ArgumentException($"The name \"{word}\" is ambiguous; give the plan's -Id. {Installed(lookup.Candidates)}");
                default:
                    throw NotFound(lookup, word);
            }
        }

        /// <summary>The plans that any of <paramref name="names"/> selects, once each, in the
        /// platform's order: what the library's lookup finds for it (every plan of a name that
        /// several have), and, for a name with wildcards, every name the pattern matches. A
        /// name that selects nothing, and has no wildcards, goes to <paramref name="missing"/>.</summary>
        internal List<PowerPlan> Select(IEnumerable<string> names, Action<PlanNotFoundException> missing)
        {
            var chosen = new HashSet<Guid>();
            foreach (string name in names)
            {
                PlanLookup lookup = Face.Find(name);
                WildcardPattern? pattern = lookup.Reading == PlanLookupReading.Name ? Pattern(name) : null;
                var matches = new List<Guid>();
                if (lookup.Outcome != PlanLookupOutcome.None)
                {
                    matches.AddRange(lookup.Candidates.Select(plan => plan.Id));
                }
                if (pattern != null)
                {
                    matches.AddRange(Plans.Where(plan => plan.Name != null && pattern.IsMatch(plan.Name)).Select(plan => plan.Id));
                }
                if (matches.Count == 0 && pattern == null)
                {
                    missing(NotFound(lookup, name));
                }
                chosen.UnionWith(matches);
            }
            return Plans.Where(plan => chosen.Contains(plan.Id)).ToList();
        }

        // Why the lookup of `word` found no plan, in the words of its reading.
        private PlanNotFoundException NotFound(PlanLookup lookup, string word)
        {
            if (lookup.Reading == PlanLookupReading.Name)
            {
                return new PlanNotFoundException($"No plan is named \"{word}\". {Installed(Plans)}");
            }
            return lookup.Identifier == null
                ? new PlanNotFoundException("The platform cannot tell the active plan (SCHEME_CURRENT).")
                : new PlanNotFoundException($"No installed plan has the identifier {lookup.Identifier} ({word}). {Installed(Plans)}");
        }

        // The wildcard pattern of a name; null for a name without wildcards, or one that is no
        // valid pattern ("Plan [A"), which then names a plan literally.
        private static WildcardPattern? Pattern(string name)
        {
            if (!WildcardPattern.ContainsWildcardCharacters(name))
            {
                return null;
            }
            var pattern = WildcardPattern.Get(name, WildcardOptions.IgnoreCase | WildcardOptions.CultureInvariant);
            try
            {
                pattern.IsMatch(string.Empty);
                return pattern;
            }
            catch (WildcardPatternException)
            {
                return null;
            }
        }

        /// <summary>The installed plan with this identifier, or <c>null</c>.</summary>
        internal PowerPlan? ById(Guid id) => Plans.FirstOrDefault(plan => plan.Id == id);

        /// <summary>The plan as a cmdlet writes it: the immutable plan, with what
        /// <see cref="PowerClass"/> does not tell (its description, whether it is the active
        /// plan) and its defaults beside it. A fact the platform cannot tell is <c>null</c>.</summary>
        internal static PSObject Record(PowerPlan plan, Guid? active, Defaults defaults)
        {
            var record = new PSObject(plan);
            record.Properties.Add(new PSNoteProperty("Description", Face.GetDescription(plan.Id)));
            record.Properties.Add(new PSNoteProperty("IsActive", active == null ? (bool?)null : active == plan.Id));
            record.Properties.Add(new PSNoteProperty("IsDefaultForAC", defaults.AC.Known ? defaults.AC.Id == plan.Id : (bool?)null));
            record.Properties.Add(new PSNoteProperty("IsDefaultForDC", defaults.DC.Known ? defaults.DC.Id == plan.Id : (bool?)null));
            return record;
        }

        /// <summary>"Balanced (381b4222-f694-41f0-9685-ff5bb260df2e)", for messages.</summary>
        internal static string Describe(PowerPlan plan) => $"{plan.Name ?? "(no name)"} ({plan.Id})";

        /// <summary>An identifier in the forms the library reads: 32 hexadecimal digits,
        /// hyphenated 8-4-4-4-12, or that in braces or parentheses; blanks around it are
        /// ignored. <c>null</c> for other text.</summary>
        internal static Guid? TryParseId(string text)
        {
            foreach (string form in new[] { "D", "N", "B", "P" })
            {
                if (Guid.TryParseExact(text.Trim(' ', '\t'), form, out Guid id))
                {
                    return id;
                }
            }
            return null;
        }

        private static string Installed(IEnumerable<PowerPlan> plans)
        {
            string list = string.Join(", ", plans.Select(Describe));
            return list.Length == 0 ? "No plans are installed." : $"Plans: {list}.";
        }
    }

    /// <summary>What the registry records as the default plan for one power source.</summary>
    internal readonly struct RecordedDefault
    {
        internal RecordedDefault(Guid? id, Exception? error)
        {
            Id = id;
            Error = error;
        }

        /// <summary>The recorded plan; <c>null</c> when none is recorded or it cannot be read.</summary>
        internal Guid? Id { get; }

        /// <summary>Why it cannot be read: a <see cref="GuidParseException"/>, a
        /// <see cref="RegistryAccessException"/> or a <see cref="PlatformException"/>.</summary>
        internal Exception? Error { get; }

        internal bool Known => Error == null;

        internal static RecordedDefault Read(PowerSource source)
        {
            try
            {
                Guid id = PlanCatalog.Power.GetDefaultPlaneGUID(source == PowerSource.AC);
                return new RecordedDefault(id == PowerClass.NoPowerSchemeGuid ? (Guid?)null : id, null);
            }
            catch (Exception error) when (error is GuidParseException || error is RegistryAccessException || error is PlatformException)
            {
                return new RecordedDefault(null, error);
            }
        }

        /// <summary>The error record for a default that cannot be read.</summary>
        internal ErrorRecord ErrorRecord(PowerSource source)
        {
            ErrorCategory category = Error is GuidParseException ? ErrorCategory.InvalidData
                : Error is RegistryAccessException ? ErrorCategory.PermissionDenied
                : ErrorCategory.NotSpecified;
            return new ErrorRecord(
                new InvalidOperationException($"Cannot read the default plan for {source}: {Error?.Message}", Error),
                "DefaultPlanUnreadable", category, source);
        }
    }

    /// <summary>The recorded defaults for both power sources.</summary>
    internal readonly struct Defaults
    {
        internal Defaults(RecordedDefault ac, RecordedDefault dc)
        {
            AC = ac;
            DC = dc;
        }

        internal RecordedDefault AC { get; }

        internal RecordedDefault DC { get; }

        internal static Defaults Read() => new Defaults(RecordedDefault.Read(PowerSource.AC), RecordedDefault.Read(PowerSource.DC));
    }

    /// <summary>Completes plan names and aliases on -Name, quoting those that need it.</summary>
    public sealed class PlanNameCompleter : IArgumentCompleter
    {
        /// <inheritdoc/>
        public IEnumerable<CompletionResult> CompleteArgument(string commandName, string parameterName,
            string wordToComplete, CommandAst commandAst, IDictionary fakeBoundParameters)
        {
            IEnumerable<string> names = PlanCatalog.Read().Plans
                .Select(plan => plan.Name)
                .OfType<string>()
                .Concat(PlanCatalog.AliasNames);
            return Complete(names, wordToComplete);
        }

        /// <summary>The words that start with what was typed (ignoring quotes and letter case),
        /// once each, quoted where PowerShell needs it.</summary>
        internal static IEnumerable<CompletionResult> Complete(IEnumerable<string> words, string? typedWord)
        {
            string typed = (typedWord ?? string.Empty).Trim('\'', '"');
            foreach (string word in words.Where(word => word.StartsWith(typed, StringComparison.OrdinalIgnoreCase)).Distinct())
            {
                bool plain = word.All(c => char.IsLetterOrDigit(c) || c == '_' || c == '-' || c == '.');
                string text = plain ? word : "'" + word.Replace("'", "''") + "'";
                yield return new CompletionResult(text, word, CompletionResultType.ParameterValue, word);
            }
        }
    }
}

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
    /// The installed plans as one cmdlet call sees them, read once: the plans with their
    /// timeouts, the active plan and the recorded defaults. Plans are named as Windows' own
    /// tool names them: by name, by identifier, or by the aliases of the standard plans.
    /// </summary>
    internal sealed class PlanCatalog
    {
        /// <summary>Windows' aliases for its standard plans; SCHEME_CURRENT is the active plan.</summary>
        internal static readonly IReadOnlyDictionary<string, Guid> Aliases = new Dictionary<string, Guid>(StringComparer.OrdinalIgnoreCase)
        {
            ["SCHEME_BALANCED"] = new Guid("381b4222-f694-41f0-9685-ff5bb260df2e"),
            ["SCHEME_MIN"] = new Guid("8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c"),  // High performance
            ["SCHEME_MAX"] = new Guid("a1841308-3541-4fab-bc81-f71556f20b4a"),  // Power saver
        };

        internal const string CurrentAlias = "SCHEME_CURRENT";

        private PlanCatalog(IReadOnlyList<PowerPlan> plans) => Plans = plans;

        /// <summary>The class every cmdlet calls, and its idiomatic face.</summary>
        internal static PowerClass Power { get; } = new PowerClass();

        /// <summary>The idiomatic face over <see cref="Power"/>.</summary>
        internal static PowerPlans Face { get; } = new PowerPlans(Power);

        /// <summary>The installed plans, in the platform's order.</summary>
        internal IReadOnlyList<PowerPlan> Plans { get; }

        /// <summary>Reads the installed plans.</summary>
        internal static PlanCatalog Read() => new PlanCatalog(Face.GetAll());

        /// <summary>The plan that <paramref name="word"/> names: an alias in any letter case,
        /// GUID text, or a plan's name: the exact name of exactly one plan, else the one name
        /// that matches without regard to letter case.</summary>
        /// <exception cref="PlanNotFoundException">No installed plan is named so.</exception>
        /// <exception cref="ArgumentException">The name is ambiguous.</exception>
        internal PowerPlan Resolve(string word)
        {
            Guid? id = AliasOrIdentifier(word);
            if (id != null)
            {
                return ById(id.Value) ?? throw new PlanNotFoundException(
                    $"No installed plan has the identifier {id} ({word}). {Installed(Plans)}");
            }
            List<PowerPlan> exact = Plans.Where(plan => plan.Name == word).ToList();
            List<PowerPlan> named = exact.Count > 0
                ? exact
                : Plans.Where(plan => string.Equals(plan.Name, word, StringComparison.OrdinalIgnoreCase)).ToList();
            if (named.Count == 0)
            {
                throw new PlanNotFoundException($"No plan is named \"{word}\". {Installed(Plans)}");
            }
            if (named.Count > 1)
            {
                throw new ArgumentException($"The name \"{word}\" is ambiguous; give the plan's -Id. {Installed(named)}");
            }
            return named[0];
        }

        /// <summary>The plans that any of <paramref name="names"/> selects, once each, in the
        /// platform's order. A name may hold wildcards; an alias or a name without wildcards
        /// that selects nothing goes to <paramref name="missing"/>.</summary>
        internal List<PowerPlan> Select(IEnumerable<string> names, Action<PlanNotFoundException> missing)
        {
            var chosen = new HashSet<Guid>();
            foreach (string name in names)
            {
                Guid? id;
                try
                {
                    id = AliasOrIdentifier(name);
                }
                catch (PlanNotFoundException error)
                {
                    missing(error);
                    continue;
                }
                WildcardPattern? pattern = Pattern(name);
                List<PowerPlan> matches = id != null
                    ? Plans.Where(plan => plan.Id == id).ToList()
                    : Plans.Where(plan => plan.Name != null &&
                                          (string.Equals(plan.Name, name, StringComparison.OrdinalIgnoreCase) ||
                                           (pattern?.IsMatch(plan.Name) ?? false)))
                           .ToList();
                if (matches.Count == 0 && (id != null || pattern == null))
                {
                    missing(new PlanNotFoundException(id != null
                        ? $"No installed plan has the identifier {id} ({name}). {Installed(Plans)}"
                        : $"No plan is named \"{name}\". {Installed(Plans)}"));
                }
                chosen.UnionWith(matches.Select(plan => plan.Id));
            }
            return Plans.Where(plan => chosen.Contains(plan.Id)).ToList();
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
            record.Properties.Add(new PSNoteProperty("Description", PlatformSteps.ReadDescription(plan.Id)));
            record.Properties.Add(new PSNoteProperty("IsActive", active == null ? (bool?)null : active == plan.Id));
            record.Properties.Add(new PSNoteProperty("IsDefaultForAC", defaults.AC.Known ? defaults.AC.Id == plan.Id : (bool?)null));
            record.Properties.Add(new PSNoteProperty("IsDefaultForDC", defaults.DC.Known ? defaults.DC.Id == plan.Id : (bool?)null));
            return record;
        }

        /// <summary>"Balanced (381b4222-f694-41f0-9685-ff5bb260df2e)", for messages.</summary>
        internal static string Describe(PowerPlan plan) => $"{plan.Name ?? "(no name)"} ({plan.Id})";

        private Guid? AliasOrIdentifier(string word)
        {
            if (string.Equals(word, CurrentAlias, StringComparison.OrdinalIgnoreCase))
            {
                return PlatformSteps.ActivePlan() ?? throw new PlanNotFoundException(
                    $"The platform cannot tell the active plan ({CurrentAlias}).");
            }
            if (Aliases.TryGetValue(word, out Guid alias))
            {
                return alias;
            }
            return TryParseId(word);
        }

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
            string typed = (wordToComplete ?? string.Empty).Trim('\'', '"');
            IEnumerable<string> names = PlanCatalog.Read().Plans
                .Select(plan => plan.Name)
                .OfType<string>()
                .Concat(PlanCatalog.Aliases.Keys)
                .Append(PlanCatalog.CurrentAlias);
            foreach (string name in names.Where(name => name.StartsWith(typed, StringComparison.OrdinalIgnoreCase)).Distinct())
            {
                bool plain = name.All(c => char.IsLetterOrDigit(c) || c == '_' || c == '-' || c == '.');
                string text = plain ? name : "'" + name.Replace("'", "''") + "'";
                yield return new CompletionResult(text, name, CompletionResultType.ParameterValue, name);
            }
        }
    }
}

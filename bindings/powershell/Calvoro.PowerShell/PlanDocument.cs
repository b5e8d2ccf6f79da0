using System;
using System.Collections.Generic;
using System.Globalization;
using System.Linq;
using System.Text;

namespace Calvoro.PowerShell
{
    /// <summary>One plan of a document; what it leaves out, an import leaves as it is.</summary>
    internal sealed class PlanEntry
    {
        internal PlanEntry(Guid id) => Id = id;

        internal Guid Id { get; }

        internal string? Name { get; set; }

        internal string? Description { get; set; }

        /// <summary>Minutes per timeout, in the order of <see cref="PlanDocument.Timeouts"/>.</summary>
        internal uint?[] Minutes { get; } = new uint?[6];
    }

    /// <summary>
    /// The "calvoro-plans" document, version 1, that the calvoro program's export and import
    /// use too: plans with their names, descriptions and six timeouts in minutes, matched by
    /// identifier. Both read it by the same rules and name the same place for a fault.
    /// </summary>
    internal static class PlanDocument
    {
        private const string Format = "calvoro-plans";
        private const uint Version = 1;

        /// <summary>The six timeouts, with their names in the document.</summary>
        internal static readonly (TimeoutSetting Setting, PowerSource Source, string Timeout, string SourceName)[] Timeouts =
        {
            (TimeoutSetting.Sleep, PowerSource.AC, "sleep", "ac"),
            (TimeoutSetting.Sleep, PowerSource.DC, "sleep", "dc"),
            (TimeoutSetting.Hibernate, PowerSource.AC, "hibernate", "ac"),
            (TimeoutSetting.Hibernate, PowerSource.DC, "hibernate", "dc"),
            (TimeoutSetting.Display, PowerSource.AC, "display", "ac"),
            (TimeoutSetting.Display, PowerSource.DC, "display", "dc"),
        };

        /// <summary>The plans as a document: identifier, name and description (when the
        /// platform can tell them; a name is restored only with its description) and the six
        /// timeouts.</summary>
        internal static PlanEntry Entry(PowerPlan plan)
        {
            var entry = new PlanEntry(plan.Id) { Name = plan.Name };
            if (plan.Name != null)
            {
                entry.Description = PlanCatalog.Face.GetDescription(plan.Id);
            }
            for (int i = 0; i < Timeouts.Length; i++)
            {
                entry.Minutes[i] = plan.Timeout(Timeouts[i].Setting, Timeouts[i].Source);
            }
            return entry;
        }

        /// <summary>The document's text, with a final line end, as UTF-8 bytes.</summary>
        /// <exception cref="DocumentException">A text holds a lone surrogate, which UTF-8
        /// cannot carry.</exception>
        internal static byte[] Write(IEnumerable<PlanEntry> entries)
        {
            var plans = new List<object>();
            foreach (PlanEntry entry in entries)
            {
                var plan = new SortedDictionary<string, object>(StringComparer.Ordinal) { ["id"] = Text(entry.Id) };
                if (entry.Name != null)
                {
                    plan["name"] = entry.Name;
                }
                if (entry.Description != null)
                {
                    plan["description"] = entry.Description;
                }
                var timeouts = new SortedDictionary<string, object>(StringComparer.Ordinal);
                for (int i = 0; i < Timeouts.Length; i++)
                {
                    if (entry.Minutes[i] is uint minutes)
                    {
                        if (!timeouts.TryGetValue(Timeouts[i].Timeout, out object? pair))
                        {
                            timeouts[Timeouts[i].Timeout] = pair = new SortedDictionary<string, object>(StringComparer.Ordinal);
                        }
                        ((SortedDictionary<string, object>)pair)[Timeouts[i].SourceName] = minutes;
                    }
                }
                if (timeouts.Count > 0)
                {
                    plan["timeouts"] = timeouts;
                }
                plans.Add(plan);
            }
            var document = new SortedDictionary<string, object>(StringComparer.Ordinal)
            {
                ["format"] = Format,
                ["version"] = Version,
                ["plans"] = plans,
            };
            var text = new StringBuilder();
            JsonWriter.Write(text, document, 0);
            text.Append('\n');
            try
            {
                return new UTF8Encoding(false, true).GetBytes(text.ToString());
            }
            catch (EncoderFallbackException)
            {
                throw new DocumentException("a plan's name or description holds a lone surrogate, which UTF-8 cannot carry");
            }
        }

        /// <summary>The entries of a document, checked whole against the installed plans before
        /// anything is written: its shape, every field known, minutes from 0 to
        /// <see cref="PowerPlans.MaxTimerMinutes"/>, every identifier installed and named once,
        /// and a changed name only together with a description.</summary>
        /// <exception cref="DocumentException">The first fault, naming its place.</exception>
        internal static List<PlanEntry> Read(byte[] bytes, IReadOnlyList<PowerPlan> installed)
        {
            string text;
            try
            {
                text = new UTF8Encoding(false, true).GetString(bytes);
            }
            catch (DecoderFallbackException)
            {
                throw new DocumentException("not valid JSON: the text is not UTF-8");
            }
            var root = new Part(JsonValue.Parse(text), "document");
            root.OnlyFields("format", "version", "plans");
            if (root.Field("format").Text() != Format)
            {
                root.Field("format").Fail($"expected \"{Format}\"");
            }
            if (root.Field("version").Uint32() != Version)
            {
                root.Field("version").Fail($"this module reads version {Version}");
            }

            var entries = new List<PlanEntry>();
            Part plans = root.Field("plans");
            for (int i = 0; i < plans.Array().Count; i++)
            {
                Part plan = plans.Element(i);
                plan.OnlyFields("id", "name", "description", "timeouts");
                var entry = new PlanEntry(plan.Field("id").Id());
                PowerPlan? target = installed.FirstOrDefault(candidate => candidate.Id == entry.Id);
                if (target == null)
                {
                    plan.Field("id").Fail($"no installed plan has the identifier {Text(entry.Id)}");
                }
                if (entries.Any(earlier => earlier.Id == entry.Id))
                {
                    plan.Field("id").Fail($"the plan {Text(entry.Id)} appears a second time");
                }
                entry.Name = plan.OptionalField("name")?.Text();
                entry.Description = plan.OptionalField("description")?.Text();
                // The platform takes a name only together with its description.
                if (entry.Description != null && entry.Name == null)
                {
                    plan.Field("description").Fail("a description is written together with a name; add \"name\"");
                }
                if (entry.Name != null && entry.Description == null && entry.Name != target!.Name)
                {
                    plan.Field("name").Fail("the name differs from the installed plan's, and a name is written " +
                                            "only together with a description; add \"description\"");
                }
                if (plan.OptionalField("timeouts") is Part timeouts)
                {
                    timeouts.OnlyFields("sleep", "hibernate", "display");
                    for (int t = 0; t < Timeouts.Length; t++)
                    {
                        if (!(timeouts.OptionalField(Timeouts[t].Timeout) is Part pair))
                        {
                            continue;
                        }
                        pair.OnlyFields("ac", "dc");
                        if (pair.OptionalField(Timeouts[t].SourceName) is Part minutes)
                        {
                            entry.Minutes[t] = minutes.Uint32();
                            if (entry.Minutes[t] > PowerPlans.MaxTimerMinutes)
                            {
                                minutes.Fail($"minutes must be from 0 to {PowerPlans.MaxTimerMinutes}, not {entry.Minutes[t]}");
                            }
                        }
                    }
                }
                entries.Add(entry);
            }
            return entries;
        }

        /// <summary>An identifier as the program writes it: 8-4-4-4-12, upper case.</summary>
        internal static string Text(Guid id) => id.ToString("D").ToUpperInvariant();

        /// <summary>One part of a document and where it sits in it.</summary>
        private sealed class Part
        {
            private readonly JsonValue value;
            private readonly string where;

            internal Part(JsonValue value, string where)
            {
                this.value = value;
                this.where = where;
            }

            internal void Fail(string problem) => throw new DocumentException($"{where}: {problem}");

            internal Part Field(string name) =>
                OptionalField(name) ?? throw new DocumentException($"{where}: missing \"{name}\"");

            internal Part? OptionalField(string name)
            {
                ExpectObject();
                return value.Members.TryGetValue(name, out JsonValue? member) ? new Part(member, where + "." + name) : null;
            }

            /// <summary>Fails on the first member whose name is not among <paramref name="known"/>.</summary>
            internal void OnlyFields(params string[] known)
            {
                ExpectObject();
                foreach (string name in value.Members.Keys.Where(name => !known.Contains(name)))
                {
                    Fail($"unknown field \"{name}\"");
                }
            }

            internal List<JsonValue> Array()
            {
                if (value.Kind != JsonValue.Kinds.Array)
                {
                    Fail("expected an array");
                }
                return value.Elements;
            }

            internal Part Element(int index) => new Part(value.Elements[index], $"{where}[{index}]");

            internal string Text()
            {
                if (value.Kind != JsonValue.Kinds.String)
                {
                    Fail("expected a string");
                }
                return value.Text;
            }

            internal uint Uint32()
            {
                if (!(value.Whole is decimal whole) || whole < 0 || whole > uint.MaxValue)
                {
                    Fail($"expected a whole number from 0 to {uint.MaxValue}, not {value.Text}");
                }
                return (uint)value.Whole!.Value;
            }

            internal Guid Id()
            {
                string text = Text();
                Guid? id = PlanCatalog.TryParseId(text);
                if (id == null)
                {
                    Fail("not a GUID: " + Quote(text));
                }
                return id!.Value;
            }

            private void ExpectObject()
            {
                if (value.Kind != JsonValue.Kinds.Object)
                {
                    Fail("expected an object");
                }
            }

            // Outside text in a message: at most 64 characters, beyond printable ASCII escaped.
            private static string Quote(string text)
            {
                var quoted = new StringBuilder("\"");
                foreach (char c in text.Take(64))
                {
                    if (c == '"' || c == '\\')
                    {
                        quoted.Append('\\').Append(c);
                    }
                    else if (c >= 0x20 && c < 0x7F)
                    {
                        quoted.Append(c);
                    }
                    else
                    {
                        quoted.Append("\\u").Append(((int)c).ToString("X4", CultureInfo.InvariantCulture));
                    }
                }
                return quoted.Append(text.Length > 64 ? "...\"" : "\"").ToString();
            }
        }
    }
}

using System;
using System.Collections.Generic;
using System.Globalization;
using System.Linq;
using System.Text;

namespace Calvoro.PowerShell
{
    /// <summary>A fault in a document, its message naming the place ("document.plans[1].id: ...").</summary>
    internal sealed class DocumentException : Exception
    {
        internal DocumentException(string message) : base(message) { }
    }

    /// <summary>One JSON value. An object keeps its members in ordinal order of their names,
    /// as the program's reader does, so both name the same first fault.</summary>
    internal sealed class JsonValue
    {
        internal enum Kinds { Object, Array, String, Number, Boolean, Null }

        private JsonValue(Kinds kind) => Kind = kind;

        internal Kinds Kind { get; }

        internal SortedDictionary<string, JsonValue> Members { get; } = new SortedDictionary<string, JsonValue>(StringComparer.Ordinal);

        internal List<JsonValue> Elements { get; } = new List<JsonValue>();

        /// <summary>A string's text, a number's or literal's source text.</summary>
        internal string Text { get; private set; } = string.Empty;

        /// <summary>A whole number's value, when it fits 64 bits; JSON's other numbers have none.</summary>
        internal decimal? Whole { get; private set; }

        internal static JsonValue Parse(string text) => new Parser(text).Document();

        /// <summary>A strict RFC 8259 reader that refuses a key repeated within one object,
        /// which would otherwise quietly take the last value.</summary>
        private sealed class Parser
        {
            // Deeper nesting is no plan document; the limit keeps the reader's stack bounded.
            private const int MaxDepth = 256;
            private readonly string text;
            private int position;

            internal Parser(string text) => this.text = text;

            internal JsonValue Document()
            {
                if (text.Length > 0 && text[0] == '\uFEFF')
                {
                    position = 1;  // a byte order mark, as Windows PowerShell 5.1 writes one
                }
                JsonValue document = Value("document", 0);
                SkipBlanks();
                if (position < text.Length)
                {
                    throw Invalid("text after the end of the document");
                }
                return document;
            }

            private JsonValue Value(string where, int depth)
            {
                if (depth > MaxDepth)
                {
                    throw Invalid($"nested deeper than {MaxDepth} levels");
                }
                SkipBlanks();
                if (position >= text.Length)
                {
                    throw Invalid("the document ends where a value should begin");
                }
                switch (text[position])
                {
                    case '{':
                        return Object(where, depth);
                    case '[':
                        return Array(where, depth);
                    case '"':
                        return new JsonValue(Kinds.String) { Text = String() };
                    case 't':
                        return Literal("true", Kinds.Boolean);
                    case 'f':
                        return Literal("false", Kinds.Boolean);
                    case 'n':
                        return Literal("null", Kinds.Null);
                    default:
                        return Number();
                }
            }

            private JsonValue Object(string where, int depth)
            {
                var value = new JsonValue(Kinds.Object);
                position++;
                SkipBlanks();
                if (Next('}'))
                {
                    return value;
                }
                do
                {
                    SkipBlanks();
                    if (position >= text.Length || text[position] != '"')
                    {
                        throw Invalid("expected a member name in double quotes");
                    }
                    string key = String();
                    if (value.Members.ContainsKey(key))
                    {
                        throw new DocumentException($"{where}: \"{key}\" appears twice");
                    }
                    SkipBlanks();
                    Expect(':');
                    value.Members.Add(key, Value(where + "." + key, depth + 1));
                    SkipBlanks();
                }
                while (Next(','));
                Expect('}');
                return value;
            }

            private JsonValue Array(string where, int depth)
            {
                var value = new JsonValue(Kinds.Array);
                position++;
                SkipBlanks();
                if (Next(']'))
                {
                    return value;
                }
                do
                {
                    value.Elements.Add(Value($"{where}[{value.Elements.Count}]", depth + 1));
                    SkipBlanks();
                }
                while (Next(','));
                Expect(']');
                return value;
            }

            private string String()
            {
                position++;
                var result = new StringBuilder();
                while (true)
                {
                    if (position >= text.Length)
                    {
                        throw Invalid("a string is not closed");
                    }
                    char c = text[position++];
                    if (c == '"')
                    {
                        return result.ToString();
                    }
                    if (c < 0x20)
                    {
                        throw Invalid("a control character must be escaped in a string");
                    }
                    if (char.IsSurrogate(c))
                    {
                        // The text came from strict UTF-8, so its surrogates are paired.
                        result.Append(c);
                        continue;
                    }
                    if (c != '\\')
                    {
                        result.Append(c);
                        continue;
                    }
                    char escape = position < text.Length ? text[position++] : '\0';
                    switch (escape)
                    {
                        case '"': result.Append('"'); break;
                        case '\\': result.Append('\\'); break;
                        case '/': result.Append('/'); break;
                        case 'b': result.Append('\b'); break;
                        case 'f': result.Append('\f'); break;
                        case 'n': result.Append('\n'); break;
                        case 'r': result.Append('\r'); break;
                        case 't': result.Append('\t'); break;
                        case 'u': result.Append(Escaped(result)); break;
                        default: throw Invalid("an unknown escape in a string");
                    }
                }
            }

            // The unit of a \uXXXX escape; a surrogate must pair with its neighbour.
            private char Escaped(StringBuilder before)
            {
                char unit = Hex4();
                bool pairsWithLast = before.Length > 0 && char.IsHighSurrogate(before[before.Length - 1]) &&
                                     char.IsLowSurrogate(unit);
                if (char.IsLowSurrogate(unit) && !pairsWithLast)
                {
                    throw Invalid("a low surrogate escape without its high surrogate");
                }
                bool lowEscapeFollows = position + 1 < text.Length && text[position] == '\\' &&
                                        text[position + 1] == 'u';
                if (char.IsHighSurrogate(unit) && !(lowEscapeFollows && char.IsLowSurrogate(PeekHex4(position + 2))))
                {
                    throw Invalid("a high surrogate escape without its low surrogate");
                }
                return unit;
            }

            private char Hex4()
            {
                char unit = PeekHex4(position);
                position += 4;
                return unit;
            }

            private char PeekHex4(int at)
            {
                if (at + 4 > text.Length ||
                    !ushort.TryParse(text.Substring(at, 4), NumberStyles.AllowHexSpecifier, CultureInfo.InvariantCulture, out ushort unit))
                {
                    throw Invalid("\\u must be followed by four hexadecimal digits");
                }
                return (char)unit;
            }

            private JsonValue Number()
            {
                int start = position;
                Next('-');
                if (!Next('0'))
                {
                    Digits();
                }
                bool whole = true;
                if (Next('.'))
                {
                    whole = false;
                    Digits();
                }
                if (position < text.Length && (text[position] == 'e' || text[position] == 'E'))
                {
                    position++;
                    whole = false;
                    if (!Next('+'))
                    {
                        Next('-');
                    }
                    Digits();
                }
                string source = text.Substring(start, position - start);
                var number = new JsonValue(Kinds.Number) { Text = source };
                if (whole && decimal.TryParse(source, NumberStyles.AllowLeadingSign, CultureInfo.InvariantCulture, out decimal value) &&
                    value >= long.MinValue && value <= ulong.MaxValue)
                {
                    number.Whole = value;
                }
                else if (!double.TryParse(source, NumberStyles.Float, CultureInfo.InvariantCulture, out double real) ||
                         double.IsInfinity(real))
                {
                    throw Invalid($"the number {source} is too large");
                }
                return number;
            }

            private void Digits()
            {
                int start = position;
                while (position < text.Length && text[position] >= '0' && text[position] <= '9')
                {
                    position++;
                }
                if (position == start)
                {
                    throw Invalid("expected a digit");
                }
            }

            private JsonValue Literal(string word, Kinds kind)
            {
                if (string.CompareOrdinal(text, position, word, 0, word.Length) != 0)
                {
                    throw Invalid("expected a value");
                }
                position += word.Length;
                return new JsonValue(kind) { Text = word };
            }

            private void SkipBlanks()
            {
                while (position < text.Length && (text[position] == ' ' || text[position] == '\t' ||
                                                  text[position] == '\n' || text[position] == '\r'))
                {
                    position++;
                }
            }

            private bool Next(char c)
            {
                if (position < text.Length && text[position] == c)
                {
                    position++;
                    return true;
                }
                return false;
            }

            private void Expect(char c)
            {
                if (!Next(c))
                {
                    throw Invalid($"expected '{c}'");
                }
            }

            private DocumentException Invalid(string problem)
            {
                int line = 1, column = 1;
                for (int i = 0; i < Math.Min(position, text.Length); i++)
                {
                    bool newLine = text[i] == '\n';
                    line += newLine ? 1 : 0;
                    column = newLine ? 1 : column + 1;
                }
                return new DocumentException($"not valid JSON: {problem} at line {line}, column {column}");
            }
        }
    }

    /// <summary>JSON text as the program writes it: two spaces of indent, members in ordinal
    /// order, UTF-8 beyond ASCII as it is, so both write the same bytes for the same plans.</summary>
    internal static class JsonWriter
    {
        /// <summary>A member's value: a string, a whole number, or a nested object (a list
        /// of members) or array (a list of objects).</summary>
        internal static void Write(StringBuilder output, object value, int depth)
        {
            switch (value)
            {
                case string text:
                    Quote(output, text);
                    break;
                case uint number:
                    output.Append(number.ToString(CultureInfo.InvariantCulture));
                    break;
                case SortedDictionary<string, object> members:
                    Block(output, '{', '}', depth, members.Select(member => (Action)(() =>
                    {
                        Quote(output, member.Key);
                        output.Append(": ");
                        Write(output, member.Value, depth + 1);
                    })));
                    break;
                case List<object> elements:
                    Block(output, '[', ']', depth, elements.Select(element => (Action)(() => Write(output, element, depth + 1))));
                    break;
                default:
                    throw new ArgumentException($"no JSON for {value.GetType()}");
            }
        }

        private static void Block(StringBuilder output, char open, char close, int depth, IEnumerable<Action> items)
        {
            output.Append(open);
            bool first = true;
            foreach (Action item in items)
            {
                output.Append(first ? "\n" : ",\n").Append(' ', 2 * (depth + 1));
                item();
                first = false;
            }
            if (!first)
            {
                output.Append('\n').Append(' ', 2 * depth);
            }
            output.Append(close);
        }

        private static void Quote(StringBuilder output, string text)
        {
            output.Append('"');
            foreach (char c in text)
            {
                switch (c)
                {
                    case '"': output.Append("\\\""); break;
                    case '\\': output.Append("\\\\"); break;
                    case '\b': output.Append("\\b"); break;
                    case '\f': output.Append("\\f"); break;
                    case '\n': output.Append("\\n"); break;
                    case '\r': output.Append("\\r"); break;
                    case '\t': output.Append("\\t"); break;
                    default:
                        if (c < 0x20)
                        {
                            output.Append("\\u").Append(((int)c).ToString("x4", CultureInfo.InvariantCulture));
                        }
                        else
                        {
                            output.Append(c);
                        }
                        break;
                }
            }
            output.Append('"');
        }
    }
}

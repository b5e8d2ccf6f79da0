// GUID text: the forms that parse, the ones that do not, and what the error says.
#include <calvoro/guid.h>

#include "known_ids.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace known_ids;

using Calvoro::Guid;
using Calvoro::GuidParseError;


struct TextCase {
    std::string text;
    bool parses;
};

std::u16string Widen(const std::string& text) { return std::u16string(text.begin(), text.end()); }

class GuidText : public testing::TestWithParam<TextCase> {};

TEST_P(GuidText, ParsesExactlyTheAcceptedForms) {
    const TextCase c = GetParam();
    for (int utf16 = 0; utf16 < 2; ++utf16) {
        SCOPED_TRACE(utf16 ? "UTF-16" : "8-bit");
        const auto parse = [&] { return utf16 ? Guid::Parse(Widen(c.text)) : Guid::Parse(c.text); };
        const auto tryParse = [&] {
            return utf16 ? Guid::TryParse(Widen(c.text)) : Guid::TryParse(c.text);
        };
        if (c.parses) {
            EXPECT_EQ(parse(), kSleepSubgroup);
            EXPECT_EQ(tryParse(), kSleepSubgroup);
        } else {
            EXPECT_THROW(parse(), GuidParseError);
            EXPECT_EQ(tryParse(), std::nullopt);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, GuidText,
    testing::Values(TextCase{"238C9FA8-0AAD-41ED-83F4-97BE242C8F20", true},
                    TextCase{"238c9fa8-0aad-41ed-83f4-97be242c8f20", true},
                    TextCase{"238c9FA8-0aAD-41eD-83f4-97BE242c8F20", true},
                    TextCase{"{238C9FA8-0AAD-41ED-83F4-97BE242C8F20}", true},
                    TextCase{"(238c9fa8-0aad-41ed-83f4-97be242c8f20)", true},
                    TextCase{"238C9FA80AAD41ED83F497BE242C8F20", true},
                    TextCase{" \t{238C9FA8-0AAD-41ED-83F4-97BE242C8F20}\t ", true},
                    TextCase{" 238C9FA8-0AAD-41ED-83F4-97BE242C8F20", true},   // one blank each
                    TextCase{"238C9FA8-0AAD-41ED-83F4-97BE242C8F20\t", true},
                    TextCase{"", false},
                    TextCase{"   ", false},
                    TextCase{"238C9FA8-0AAD-41ED-83F4-97BE242C8F2", false},     // a digit short
                    TextCase{"238C9FA8-0AAD-41ED-83F4-97BE242C8F200", false},   // a digit long
                    TextCase{"238C9FA80-AAD-41ED-83F4-97BE242C8F20", false},    // hyphen moved
                    TextCase{"238C9FA8-0AAD-41ED-83F497BE-242C8F20", false},    // hyphen moved
                    TextCase{"238C9FA8-0AAD-41ED-83F4-97BE242C8F2G", false},    // not hex
                    TextCase{"{238C9FA8-0AAD-41ED-83F4-97BE242C8F20", false},   // unbalanced
                    TextCase{"238C9FA8-0AAD-41ED-83F4-97BE242C8F20}", false},   // unbalanced
                    TextCase{"{238C9FA8-0AAD-41ED-83F4-97BE242C8F20)", false},  // mismatched
                    TextCase{"(238C9FA8-0AAD-41ED-83F4-97BE242C8F20}", false},  // mismatched
                    TextCase{"{238C9FA80AAD41ED83F497BE242C8F20}", false},      // braces need hyphens
                    TextCase{"238C9FA8-0AAD-41ED-83F4-97BE242C8F20\n", false},  // only spaces, tabs
                    TextCase{std::string("238C9FA8-0AAD-41ED-83F4-97BE\0" "42C8F20", 36), false},
                    TextCase{"+38C9FA8-0AAD-41ED-83F4-97BE242C8F20", false},
                    TextCase{"0x238C9FA8-0AAD-41ED-83F4-97BE242C8F", false}));

TEST(GuidText, PrintedTextParsesBack) {
    for (const Guid& guid : {kSleepSubgroup, Calvoro::NoPowerSchemeGuid, Guid{}}) {
        EXPECT_EQ(Guid::Parse(guid.ToString()), guid);
    }
}

TEST(GuidText, NonAsciiUtf16NeverCountsAsAHexDigit) {
    // U+0661 is a digit, U+FF21 a full-width 'A': neither is a hexadecimal digit here.
    std::u16string text = u"238C9FA8-0AAD-41ED-83F4-97BE242C8F20";
    text[0] = u'\u0661';
    EXPECT_THROW(Guid::Parse(text), GuidParseError);
    text[0] = u'\uFF21';
    EXPECT_THROW(Guid::Parse(text), GuidParseError);
}

TEST(GuidText, ErrorQuotesTheTextCutAndEscaped) {
    try {
        Guid::Parse(std::string(100, 'x'));
        FAIL() << "no error";
    } catch (const std::invalid_argument& error) {
        EXPECT_EQ(std::string(error.what()), "not a GUID: \"" + std::string(64, 'x') + "\"...");
    }
    try {
        Guid::Parse(std::string(64, 'x'));  // exactly at the limit: nothing is cut
        FAIL() << "no error";
    } catch (const std::invalid_argument& error) {
        EXPECT_EQ(std::string(error.what()), "not a GUID: \"" + std::string(64, 'x') + "\"");
    }
    try {
        Guid::Parse(std::u16string(u"a\"b\\\n\u007F\u00E9\U0001F50B"));
        FAIL() << "no error";
    } catch (const GuidParseError& error) {
        EXPECT_STREQ(error.what(), R"(not a GUID: "a\"b\\\u000A\u007F\u00E9\uD83D\uDD0B")");
    }
}

}  // namespace

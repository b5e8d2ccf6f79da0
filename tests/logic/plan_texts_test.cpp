// Enumeration, the name reader and the name/description writer, against the recording fake.
#include <calvoro/power_class.h>

#include "fake_platform.h"
#include "power_class/texts.h"

#include "known_ids.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

namespace {

using namespace known_ids;

using Calvoro::Guid;
using Calvoro::NoPowerSchemeGuid;
using Calvoro::PowerClass;


// The bytes of `text` as the platform passes UTF-16 (little-endian, as on Windows).
std::vector<std::uint8_t> Utf16Bytes(const std::u16string& text) {
    std::vector<std::uint8_t> bytes;
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

// A platform name reader that answers the size query and then copies `stored` in.
fake::NameReader Serving(const std::vector<std::uint8_t>& stored) {
    return [stored](std::uint8_t* buffer, std::uint32_t* size) -> std::uint32_t {
        const auto needed = static_cast<std::uint32_t>(stored.size());
        if (buffer != nullptr) {
            std::memcpy(buffer, stored.data(), std::min(*size, needed));
        }
        *size = needed;
        return 0;
    };
}

class PlanCalls : public testing::Test {
protected:
    void SetUp() override { fake::Reset(); }
    void TearDown() override { EXPECT_EQ(fake::State().liveBlocks, 0) << "a block leaked"; }

    const std::vector<fake::Call>& Calls() { return fake::State().calls; }
    PowerClass power;
};

TEST_F(PlanCalls, EnumerateAsksForOnePlanWithFlag16AndReturnsItsExactBytes) {
    const Guid plan{0x01020304, 0x0506, 0x0708, {9, 10, 11, 12, 13, 14, 15, 16}};
    fake::State().enumerated = {4, 3, 2, 1, 6, 5, 8, 7, 9, 10, 11, 12, 13, 14, 15, 16};
    EXPECT_EQ(power.EnumPowerSchemeGuid(7), plan);

    ASSERT_EQ(Calls().size(), 1u);
    const fake::Call& call = Calls().front();
    EXPECT_EQ(call.operation, "PowerEnumerate");
    EXPECT_EQ(call.root, nullptr);
    EXPECT_EQ(call.scheme, std::nullopt);
    EXPECT_EQ(call.subgroup, std::nullopt);
    EXPECT_EQ(call.accessFlags, 16u);
    EXPECT_EQ(call.index, 7u);
    EXPECT_EQ(call.value, 16u);  // buffer size on entry
    EXPECT_TRUE(call.outputGiven);
}

TEST_F(PlanCalls, EnumerateGivesNoPlanForEveryFailure) {
    fake::State().enumerated = std::vector<std::uint8_t>(16, 0xAB);
    for (const std::uint32_t failure : {259u, 2u, 87u, 234u, 0x80000000u}) {
        fake::State().status = failure;
        EXPECT_EQ(power.EnumPowerSchemeGuid(4294967295u), NoPowerSchemeGuid) << failure;
    }
}

TEST_F(PlanCalls, ReadsANameWithASizeQueryAndOneExactBlock) {
    fake::State().readName = Serving(Utf16Bytes(std::u16string(u"Balanced") + u'\0'));
    EXPECT_EQ(power.ReadPowerSchemeName(kBalanced), u"Balanced");

    ASSERT_EQ(Calls().size(), 2u);
    for (const fake::Call& call : Calls()) {
        EXPECT_EQ(call.root, nullptr);
        EXPECT_EQ(call.scheme, kBalanced);
        EXPECT_EQ(call.subgroup, std::nullopt);
        EXPECT_EQ(call.setting, std::nullopt);
    }
    EXPECT_FALSE(Calls()[0].outputGiven);  // the size query passes no buffer
    EXPECT_TRUE(Calls()[1].outputGiven);
    EXPECT_EQ(Calls()[1].value, 18u);
    EXPECT_EQ(fake::State().allocations, std::vector<std::size_t>{18});
    EXPECT_EQ(fake::State().allocationFlags, std::vector<std::uint32_t>{0x40});
}

TEST_F(PlanCalls, NameStopsAtTheFirstNulAndNeverReadsPastTheBlock) {
    // Reported as 6 bytes but written as more: only the 6-byte block is read.
    fake::State().readName = [](std::uint8_t* buffer, std::uint32_t* size) -> std::uint32_t {
        if (buffer != nullptr) {
            const auto bytes = Utf16Bytes(u"abc");
            std::memcpy(buffer, bytes.data(), std::min<std::size_t>(*size, bytes.size()));
        }
        *size = buffer == nullptr ? 6 : 200;
        return 0;
    };
    EXPECT_EQ(power.ReadPowerSchemeName(kBalanced), u"abc");

    fake::Reset();
    fake::State().readName = Serving(Utf16Bytes(std::u16string(u"ab\0cd", 5)));
    EXPECT_EQ(power.ReadPowerSchemeName(kBalanced), u"ab");
}

TEST_F(PlanCalls, NoNameWithoutAnAllocationWhenTheSizeQueryGivesNothing) {
    struct Case {
        std::uint32_t status;
        std::uint32_t size;
    };
    for (const Case c : {Case{2, 18}, Case{234, 18}, Case{0, 0}}) {
        fake::Reset();
        fake::State().readName = [c](std::uint8_t*, std::uint32_t* size) {
            *size = c.size;
            return c.status;
        };
        EXPECT_EQ(power.ReadPowerSchemeName(kBalanced), std::nullopt) << c.status << "/" << c.size;
        EXPECT_TRUE(fake::State().allocations.empty());
        EXPECT_EQ(Calls().size(), 1u);
    }
}

TEST_F(PlanCalls, NoNameWhenTheAllocationOrTheReadFails) {
    fake::State().readName = Serving(Utf16Bytes(u"Name"));
    fake::State().failAllocation = true;
    EXPECT_EQ(power.ReadPowerSchemeName(kBalanced), std::nullopt);
    EXPECT_EQ(Calls().size(), 1u);

    fake::Reset();
    int call = 0;
    fake::State().readName = [&call](std::uint8_t*, std::uint32_t* size) -> std::uint32_t {
        *size = 10;
        return ++call == 1 ? 0 : 2;
    };
    EXPECT_EQ(power.ReadPowerSchemeName(kBalanced), std::nullopt);
    EXPECT_EQ(fake::State().allocations.size(), 1u);
}

TEST_F(PlanCalls, AnExceptionFromTheSizeQueryIsDroppedSilently) {
    fake::State().readName = [](std::uint8_t*, std::uint32_t* size) -> std::uint32_t {
        *size = 18;  // written before raising: must not be trusted
        throw std::runtime_error("size query broke");
    };
    testing::internal::CaptureStdout();
    EXPECT_EQ(power.ReadPowerSchemeName(kBalanced), std::nullopt);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(fake::State().allocations.empty());
}

TEST_F(PlanCalls, AnExceptionFromTheReadPrintsOneLineAndGivesNoName) {
    fake::State().readName = [](std::uint8_t* buffer, std::uint32_t* size) -> std::uint32_t {
        *size = 18;
        if (buffer != nullptr) {
            throw std::runtime_error("device\r\nnot ready\nat all");
        }
        return 0;
    };
    testing::internal::CaptureStdout();
    EXPECT_EQ(power.ReadPowerSchemeName(kBalanced), std::nullopt);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "device not ready at all\n");
    EXPECT_EQ(fake::State().allocations.size(), 1u);  // and released: see TearDown

    // Something thrown that is not a std::exception has no message of its own.
    fake::State().readName = [](std::uint8_t* buffer, std::uint32_t* size) -> std::uint32_t {
        *size = 18;
        if (buffer != nullptr) {
            throw 42;
        }
        return 0;
    };
    testing::internal::CaptureStdout();
    EXPECT_EQ(power.ReadPowerSchemeName(kBalanced), std::nullopt);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "PowerReadFriendlyName raised an exception that is not a std::exception\n");
}

struct WriteCase {
    std::u16string name;
    std::u16string description;
    std::uint32_t nameBytes;
    std::uint32_t descriptionBytes;
};

class TextWrite : public PlanCalls, public testing::WithParamInterface<WriteCase> {};

TEST_P(TextWrite, PassesEachTextUpToItsFirstNulWithOneNul) {
    const WriteCase c = GetParam();
    EXPECT_EQ(power.WritePowerSchemeNameDescription(kBalanced, c.name, c.description), 1);
    ASSERT_EQ(Calls().size(), 2u);
    const fake::Call& name = Calls()[0];
    const fake::Call& description = Calls()[1];
    EXPECT_EQ(name.operation, "PowerWriteFriendlyName");
    EXPECT_EQ(description.operation, "PowerWriteDescription");
    EXPECT_EQ(name.value, c.nameBytes);
    EXPECT_EQ(description.value, c.descriptionBytes);
    for (const fake::Call& call : Calls()) {
        EXPECT_EQ(call.root, nullptr);
        EXPECT_EQ(call.scheme, kBalanced);
        EXPECT_EQ(call.subgroup, std::nullopt);
        EXPECT_EQ(call.setting, std::nullopt);
    }
    const std::u16string nameText = c.name.substr(0, c.nameBytes / 2 - 1) + u'\0';
    EXPECT_EQ(name.bytes, Utf16Bytes(nameText));
}

INSTANTIATE_TEST_SUITE_P(
    Plans, TextWrite,
    testing::Values(WriteCase{u"", u"", 2, 2},
                    WriteCase{u"Quiet!", u"Ten chars.", 14, 22},
                    WriteCase{std::u16string(u"Cut\0here", 8), u"x", 8, 4},
                    WriteCase{u"\U0001F50B", u"\u00C9nergie \u2600", 6, 20}));

TEST_F(PlanCalls, ARefusedNameEndsTheWriteBeforeTheDescription) {
    fake::State().statusFor["PowerWriteFriendlyName"] = 5;
    EXPECT_EQ(power.WritePowerSchemeNameDescription(kBalanced, u"Name", u"Description"), 0);
    ASSERT_EQ(Calls().size(), 1u);

    fake::Reset();
    fake::State().statusFor["PowerWriteDescription"] = 0x80070005;
    EXPECT_EQ(power.WritePowerSchemeNameDescription(kBalanced, u"Name", u"Description"), 0);
    EXPECT_EQ(Calls().size(), 2u);
}

TEST(TextSizes, ByteSizesThatDoNotFit32BitsAreRefused) {
    using Calvoro::detail::NulTerminatedByteSize;
    EXPECT_EQ(NulTerminatedByteSize(0), 2u);
    EXPECT_EQ(NulTerminatedByteSize(6), 14u);
    EXPECT_EQ(NulTerminatedByteSize(2147483646u), 4294967294u);
    EXPECT_EQ(NulTerminatedByteSize(2147483647u), std::nullopt);
    EXPECT_EQ(NulTerminatedByteSize(SIZE_MAX), std::nullopt);
}

}  // namespace

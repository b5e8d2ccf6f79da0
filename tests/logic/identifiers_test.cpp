#include <calvoro/power_class.h>

#include "platform/conversions.h"
#include "power_class/status_rule.h"
#include "power_class/units.h"

#include "known_ids.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

namespace {

using namespace known_ids;

using Calvoro::Guid;
using Calvoro::NoPowerSchemeGuid;
using Bytes = std::array<std::uint8_t, 16>;

const Bytes kSleepSubgroupImage{0xA8, 0x9F, 0x8C, 0x23, 0xAD, 0x0A, 0xED, 0x41,
                                0x83, 0xF4, 0x97, 0xBE, 0x24, 0x2C, 0x8F, 0x20};

TEST(Identifiers, ToGUIDCopiesTheLittleEndianImage) {
    const Calvoro::GUID record = Calvoro::PowerClass().ToGUID(kSleepSubgroup);
    static_assert(sizeof record == 16);
    Bytes memory{};
    std::memcpy(memory.data(), &record, sizeof record);  // the platform is little-endian
    EXPECT_EQ(memory, kSleepSubgroupImage);
    EXPECT_EQ(kSleepSubgroup.Bytes(), kSleepSubgroupImage);
}

TEST(Identifiers, TextIsUpperCaseEightFourFourFourTwelve) {
    EXPECT_EQ(kSleepSubgroup.ToString(), "238C9FA8-0AAD-41ED-83F4-97BE242C8F20");
    std::ostringstream out;
    out << NoPowerSchemeGuid;
    EXPECT_EQ(out.str(), "4515AD82-4C32-4F78-82C4-B20B62430B0A");
    EXPECT_EQ(Guid{}.ToString(), "00000000-0000-0000-0000-000000000000");
}

class RoundTrip : public testing::TestWithParam<Guid> {};

TEST_P(RoundTrip, RecordAndBackIsTheSameIdentifier) {
    const Guid original = GetParam();
    const Guid back = Calvoro::FromGUID(Calvoro::PowerClass().ToGUID(original));
    EXPECT_EQ(back, original);
    EXPECT_EQ(back.Bytes(), original.Bytes());
}

INSTANTIATE_TEST_SUITE_P(
    Identifiers, RoundTrip,
    testing::Values(NoPowerSchemeGuid, kSleepSubgroup, Guid{},
                    Guid{0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
                    Guid{0x01020304, 0x0506, 0x0708, {9, 10, 11, 12, 13, 14, 15, 16}}));

TEST(Identifiers, EqualityLooksAtEveryByte) {
    Guid other = NoPowerSchemeGuid;
    other.Data4[7] ^= 1;
    EXPECT_NE(other, NoPowerSchemeGuid);
    EXPECT_FALSE(other == NoPowerSchemeGuid);
}

struct StatusCase {
    std::uint32_t status;
    std::uint32_t resultCode;  // as the 32 bits of the signed result
    bool succeeded;
};

class StatusRule : public testing::TestWithParam<StatusCase> {};

TEST_P(StatusRule, FollowsHresultFromWin32) {
    const StatusCase c = GetParam();
    EXPECT_EQ(static_cast<std::uint32_t>(Calvoro::detail::HresultFromWin32(c.status)), c.resultCode);
    EXPECT_EQ(Calvoro::detail::Succeeded(c.status), c.succeeded);
}

INSTANTIATE_TEST_SUITE_P(Identifiers, StatusRule,
                         testing::Values(StatusCase{0, 0, true},
                                         StatusCase{5, 0x80070005, false},
                                         StatusCase{259, 0x80070103, false},
                                         StatusCase{0x7FFFFFFF, 0x8007FFFF, false},
                                         StatusCase{0x00010005, 0x80070005, false},
                                         StatusCase{0x80070005, 0x80070005, false},
                                         StatusCase{0x80000000, 0x80000000, false},
                                         StatusCase{0xFFFFFFFF, 0xFFFFFFFF, false}));

TEST(Units, SecondsRoundDownToWholeMinutes) {
    using Calvoro::detail::SecondsToMinutes;
    EXPECT_EQ(SecondsToMinutes(0), 0u);
    EXPECT_EQ(SecondsToMinutes(59), 0u);
    EXPECT_EQ(SecondsToMinutes(60), 1u);
    EXPECT_EQ(SecondsToMinutes(119), 1u);
    EXPECT_EQ(SecondsToMinutes(UINT32_MAX), 71582788u);
}

TEST(Units, MinutesWhoseSecondsDoNotFitAreRefused) {
    using Calvoro::detail::MinutesToSeconds;
    using Calvoro::detail::SecondsFit;
    EXPECT_EQ(MinutesToSeconds(10), 600u);
    EXPECT_TRUE(SecondsFit(71582788));
    EXPECT_EQ(MinutesToSeconds(71582788), 4294967280u);
    EXPECT_FALSE(SecondsFit(71582789));
    EXPECT_FALSE(SecondsFit(UINT32_MAX));
}

}  // namespace

// The simulated machine answers the boundary's calls with the statuses Windows gives.
#include <calvoro/simulation.h>
#include <gtest/gtest.h>

#include <cstring>

#include "platform/conversions.h"
#include "platform/platform.h"
#include "platform/power_settings.h"

namespace {

namespace p = Calvoro::platform;
namespace Sim = Calvoro::Simulation;
using Calvoro::GUID;

const GUID kBalanced = Calvoro::detail::ToPlatformRecord(
    {0x381B4222, 0xF694, 0x41F0, {0x96, 0x85, 0xFF, 0x5B, 0xB2, 0x60, 0xDF, 0x2E}});
const GUID kUnknown =
    Calvoro::detail::ToPlatformRecord({0x1, 0x2, 0x3, {4, 5, 6, 7, 8, 9, 10, 11}});

class SimulatedMachine : public testing::Test {
protected:
    void SetUp() override { Sim::Reset(); }
};

TEST_F(SimulatedMachine, EnumerationStatuses) {
    std::uint8_t buffer[16]{};
    std::uint32_t size = 16;
    EXPECT_EQ(p::PowerEnumerate(nullptr, nullptr, nullptr, 16, 2, buffer, &size), 0u);
    EXPECT_EQ(p::PowerEnumerate(nullptr, nullptr, nullptr, 16, 3, buffer, &size), 259u);
    for (std::uint8_t* given : {buffer, static_cast<std::uint8_t*>(nullptr)}) {
        size = 15;
        EXPECT_EQ(p::PowerEnumerate(nullptr, nullptr, nullptr, 16, 0, given, &size), 234u);
        EXPECT_EQ(size, 16u);
    }
    EXPECT_EQ(p::PowerEnumerate(nullptr, nullptr, nullptr, 16, 0, buffer, nullptr), 87u);
}

TEST_F(SimulatedMachine, NameStatuses) {
    std::uint32_t size = 0;
    EXPECT_EQ(p::PowerReadFriendlyName(nullptr, &kBalanced, nullptr, nullptr, nullptr, &size), 0u);
    EXPECT_EQ(size, 18u);  // "Balanced" and its NUL
    std::uint8_t small[10]{};
    size = sizeof small;
    EXPECT_EQ(p::PowerReadFriendlyName(nullptr, &kBalanced, nullptr, nullptr, small, &size), 234u);
    EXPECT_EQ(size, 18u);
    EXPECT_EQ(p::PowerReadFriendlyName(nullptr, &kUnknown, nullptr, nullptr, nullptr, &size), 2u);
    EXPECT_EQ(p::PowerReadFriendlyName(nullptr, &kBalanced, nullptr, nullptr, nullptr, nullptr),
              87u);
    EXPECT_EQ(p::PowerWriteFriendlyName(nullptr, &kBalanced, nullptr, nullptr, nullptr, 2), 87u);

    // A text without a NUL is stored whole; an odd last byte is ignored.
    const char16_t noNul[] = {u'a', u'b'};
    EXPECT_EQ(p::PowerWriteDescription(nullptr, &kBalanced, nullptr, nullptr,
                                       reinterpret_cast<const std::uint8_t*>(noNul), 3),
              0u);
    EXPECT_EQ(Sim::Plans().front().description, u"a");
}

TEST_F(SimulatedMachine, ValueStatuses) {
    std::uint32_t value = 7;
    EXPECT_EQ(p::PowerReadACValueIndex(nullptr, &kUnknown, &p::GUID_SLEEP_SUBGROUP,
                                       &p::GUID_STANDBY_TIMEOUT, &value),
              2u);
    EXPECT_EQ(value, 7u);  // untouched on failure
    // A setting of another subgroup does not exist.
    EXPECT_EQ(p::PowerReadDCValueIndex(nullptr, &kBalanced, &p::GUID_VIDEO_SUBGROUP,
                                       &p::GUID_STANDBY_TIMEOUT, &value),
              2u);
    EXPECT_EQ(p::PowerWriteACValueIndex(nullptr, &kBalanced, nullptr, &p::GUID_STANDBY_TIMEOUT, 1),
              87u);
    EXPECT_EQ(p::PowerReadACValueIndex(nullptr, &kBalanced, &p::GUID_SLEEP_SUBGROUP,
                                       &p::GUID_STANDBY_TIMEOUT, nullptr),
              87u);
}

TEST_F(SimulatedMachine, SettingStatuses) {
    const GUID processor = Calvoro::detail::ToPlatformRecord(
        {0x54533251, 0x82BE, 0x4824, {0x96, 0xC1, 0x47, 0xB6, 0x0B, 0x74, 0x0D, 0x00}});
    const GUID throttleMax = Calvoro::detail::ToPlatformRecord(
        {0xBC5038F7, 0x23E0, 0x4960, {0x96, 0xDA, 0x33, 0xAB, 0xAF, 0x59, 0x35, 0xEC}});
    const GUID boostMode = Calvoro::detail::ToPlatformRecord(
        {0xBE337238, 0x0D82, 0x4146, {0xA9, 0x60, 0x4F, 0x37, 0x49, 0xD4, 0x70, 0xC7}});
    std::uint8_t buffer[16]{};
    std::uint32_t size = sizeof buffer;
    std::uint32_t value = 0;
    // Unknown plans, subgroups and settings; enumerations past their end.
    EXPECT_EQ(p::PowerEnumerate(nullptr, &kUnknown, nullptr, 17, 0, buffer, &size), 2u);
    EXPECT_EQ(p::PowerEnumerate(nullptr, &kBalanced, &kUnknown, 18, 0, buffer, &size), 2u);
    EXPECT_EQ(p::PowerEnumerate(nullptr, &kBalanced, &processor, 18, 1000, buffer, &size), 259u);
    EXPECT_EQ(p::PowerReadFriendlyName(nullptr, &kBalanced, &processor, &kUnknown, nullptr, &size),
              2u);
    EXPECT_EQ(p::PowerReadValueMin(nullptr, &processor, &kUnknown, &value), 2u);
    EXPECT_EQ(p::PowerReadValueMin(nullptr, &processor, &boostMode, &value), 2u);  // no range
    EXPECT_EQ(
        p::PowerReadPossibleValue(nullptr, &processor, &throttleMax, nullptr, 0, nullptr, &size),
        2u);  // a range, no possible values
    EXPECT_EQ(
        p::PowerReadPossibleValue(nullptr, &processor, &boostMode, nullptr, 99, nullptr, &size),
        2u);
    EXPECT_EQ(p::PowerReadACDefaultIndex(nullptr, &kUnknown, &processor, &throttleMax, &value), 2u);
    // Missing buffers and sizes; a buffer too small gets the size it needs.
    EXPECT_EQ(p::PowerReadValueMax(nullptr, &processor, &throttleMax, nullptr), 87u);
    EXPECT_EQ(p::PowerReadValueUnitsSpecifier(nullptr, &processor, &throttleMax, nullptr, nullptr),
              87u);
    EXPECT_EQ(p::PowerReadPossibleFriendlyName(nullptr, &processor, &boostMode, 0, buffer, nullptr),
              87u);
    std::uint32_t type = 0;
    size = 3;
    EXPECT_EQ(p::PowerReadPossibleValue(nullptr, &processor, &boostMode, &type, 2, buffer, &size),
              234u);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(type, 4u);  // REG_DWORD, holding the index
    // The personality's possible values hold the standard plans' identifiers.
    size = sizeof buffer;
    EXPECT_EQ(p::PowerReadPossibleValue(nullptr, &p::NO_SUBGROUP_GUID,
                                        &p::GUID_POWERSCHEME_PERSONALITY, &type, 2, buffer, &size),
              0u);
    EXPECT_EQ(std::memcmp(buffer, &kBalanced, 16), 0);
    EXPECT_EQ(type, 3u);  // REG_BINARY
}

TEST_F(SimulatedMachine, ResetRestoresTheSeedAndClearsFaults) {
    Sim::InjectStatus(Sim::Operation::PowerEnumerate, 5, Sim::Repeat::Always);
    ASSERT_TRUE(Sim::RemovePlan(Calvoro::detail::FromPlatformRecord(kBalanced)));
    Sim::Reset();
    std::uint8_t buffer[16]{};
    std::uint32_t size = 16;
    EXPECT_EQ(p::PowerEnumerate(nullptr, nullptr, nullptr, 16, 0, buffer, &size), 0u);
    EXPECT_EQ(std::memcmp(buffer, &kBalanced, 16), 0);
    EXPECT_EQ(Sim::Plans().size(), 3u);
}

}  // namespace

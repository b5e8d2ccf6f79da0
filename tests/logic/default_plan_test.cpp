// The default-plan lookup: which registry value it reads, and what each answer becomes.
#include <calvoro/power_class.h>

#include "fake_platform.h"

#include "known_ids.h"

#include <gtest/gtest.h>

namespace {

using namespace known_ids;

using Calvoro::Guid;
using Calvoro::PowerClass;
using Kind = Calvoro::platform::RegistryAnswer::Kind;


class DefaultPlanLookup : public testing::Test {
protected:
    void SetUp() override { fake::Reset(); }
    PowerClass power;
};

TEST_F(DefaultPlanLookup, ReadsTheACOrDCValueOfTheFixedKey) {
    for (const bool onAC : {true, false}) {
        fake::Reset();
        power.GetDefaultPlaneGUID(onAC);
        ASSERT_EQ(fake::State().calls.size(), 1u);
        const fake::Call& call = fake::State().calls.front();
        EXPECT_EQ(call.keyPath, u"Software\\Quandrel\\Zephlo\\PowerPolicies\\DEV_DEFAULT_PLANE");
        EXPECT_EQ(call.valueName, onAC ? u"AC" : u"DC");
    }
}

TEST_F(DefaultPlanLookup, EachRegistryAnswerBecomesAResultOrAnError) {
    fake::State().registryAnswer = {Kind::NoKey, {}};
    EXPECT_EQ(power.GetDefaultPlaneGUID(true), Calvoro::NoPowerSchemeGuid);
    fake::State().registryAnswer = {Kind::NoValue, {}};
    EXPECT_EQ(power.GetDefaultPlaneGUID(false), Calvoro::NoPowerSchemeGuid);
    fake::State().registryAnswer = {Kind::String, u"{238c9fa8-0aad-41ed-83f4-97be242c8f20}"};
    EXPECT_EQ(power.GetDefaultPlaneGUID(true), kSleepSubgroup);

    // Text that parses is accepted only from a string value.
    fake::State().registryAnswer = {Kind::OtherKind, u"<binary value of 16 bytes>"};
    EXPECT_THROW(power.GetDefaultPlaneGUID(true), Calvoro::GuidParseError);
    fake::State().registryAnswer = {Kind::OtherKind, u"42"};
    EXPECT_THROW(power.GetDefaultPlaneGUID(true), std::invalid_argument);
}

TEST_F(DefaultPlanLookup, ErrorsNameTheValueAndTheText) {
    fake::State().registryAnswer = {Kind::String, u"Balanced"};
    try {
        power.GetDefaultPlaneGUID(false);
        FAIL() << "no error";
    } catch (const Calvoro::GuidParseError& error) {
        EXPECT_STREQ(error.what(),
                     "registry value \"DC\" of HKEY_CURRENT_USER\\Software\\Quandrel\\Zephlo\\"
                     "PowerPolicies\\DEV_DEFAULT_PLANE does not hold a GUID: \"Balanced\"");
    }

    fake::State().registryAnswer = {Kind::AccessDenied, {}};
    try {
        power.GetDefaultPlaneGUID(true);
        FAIL() << "no error";
    } catch (const Calvoro::RegistryAccessError& error) {
        EXPECT_EQ(error.code(), std::errc::permission_denied);
        EXPECT_NE(std::string(error.what()).find("access refused to the registry value \"AC\""),
                  std::string::npos)
            << error.what();
    }
}

}  // namespace

// The library on Wine's own power-plan API, which implements none of it.
//
// Wine 8 answers PowerEnumerate and PowerReadFriendlyName with a failure status; the library
// turns those into its failure results. The value reads and writes and the name and
// description writes are bare stubs there: calling one raises Wine's "unimplemented function"
// exception instead of returning. The library lets a platform's exception through unchanged,
// so the process ends, naming the function; death tests check exactly that.
#include <calvoro/power_class.h>

#include "known_ids.h"

#include <gtest/gtest.h>

namespace {

using namespace known_ids;

using Calvoro::Guid;


class UnimplementedPowerApi : public testing::Test {
protected:
    const Calvoro::PowerClass power;
};

TEST_F(UnimplementedPowerApi, EnumerationFindsNoPlan) {
    EXPECT_EQ(power.EnumPowerSchemeGuid(0), Calvoro::NoPowerSchemeGuid);
}

TEST_F(UnimplementedPowerApi, NameIsAbsent) {
    EXPECT_EQ(power.ReadPowerSchemeName(kBalanced), std::nullopt);
}

// Each stub ends the process that calls it with Wine's stub exception as the exit code:
// the exception reached the top unchanged. (Wine names the function on its own console
// channel, which a death test cannot capture.)
TEST_F(UnimplementedPowerApi, StubsRaiseThroughTheLibrary) {
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    const auto wineStubException = testing::ExitedWithCode(static_cast<int>(0x80000100u));
    EXPECT_EXIT(power.GetSleepTimer(kBalanced, true), wineStubException, "");
    EXPECT_EXIT(power.GetDisplayTimer(kBalanced, false), wineStubException, "");
    EXPECT_EXIT(power.SetHibernationTimer(kBalanced, true, 10), wineStubException, "");
    EXPECT_EXIT(power.SetSleepTimer(kBalanced, false, 10), wineStubException, "");
    EXPECT_EXIT(power.WritePowerSchemeNameDescription(kBalanced, u"Name", u"Text"),
                wineStubException, "");
}

}  // namespace

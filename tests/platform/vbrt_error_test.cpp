#include "support/RaisedError.h"

using platform::vbrt::Error;
namespace ErrorNumber = platform::vbrt::ErrorNumber;

TEST(VbError, RaiseCarriesNumberSourceAndDescription)
{
    try {
        platform::vbrt::Raise(QStringLiteral("GetPadInfo"), QStringLiteral("タグがありません。"));
        FAIL() << "nothing raised";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), ErrorNumber::Application);
        EXPECT_EQ(e.source(), QStringLiteral("GetPadInfo"));
        EXPECT_EQ(e.description(), QStringLiteral("タグがありません。"));
    }
    EXPECT_RAISES(throw Error(ErrorNumber::Overflow, "x", "y"), ErrorNumber::Overflow);
}

#pragma once

#include "platform/vbrt/Error.h"

#include <gtest/gtest.h>

#include <functional>

namespace testsupport {

// Runs the call and checks that it raised the program's error with this number.
inline ::testing::AssertionResult RaisesError(const std::function<void()>& call, std::int32_t number)
{
    try {
        call();
    } catch (const platform::vbrt::Error& e) {
        if (e.number() == number)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "raised " << e.number() << " (" << e.what() << "), expected " << number;
    } catch (const std::exception& e) {
        return ::testing::AssertionFailure() << "threw a foreign exception: " << e.what();
    }
    return ::testing::AssertionFailure() << "raised nothing, expected " << number;
}

// The description of the program's error the call raises; "" when it raises none.
inline QString RaisedText(const std::function<void()>& call)
{
    try {
        call();
    } catch (const platform::vbrt::Error& e) {
        return e.description();
    }
    return {};
}

} // namespace testsupport

#define EXPECT_RAISES(call, number) EXPECT_TRUE(::testsupport::RaisesError([&] { call; }, number))
#define ASSERT_RAISES(call, number) ASSERT_TRUE(::testsupport::RaisesError([&] { call; }, number))

// The message of the error a test expects: what the `Error` thrown by `action` says. When the
// action throws nothing the calling test fails and the message is empty; any other exception
// goes on and fails the test too.
#pragma once

#include <gtest/gtest.h>
#include <string>

namespace marlovex::testing_support {

template <typename Error, typename Action> std::string messageOf(Action&& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    ADD_FAILURE() << "no error was thrown";
    return {};
}

} // namespace marlovex::testing_support

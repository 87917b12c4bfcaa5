// The one error type that the platform layers throw. Every message names the table, file or
// value concerned, so that the central error display can show it to the user unchanged.
#pragma once

#include <stdexcept>
#include <string>

namespace marlovex {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message);
};

} // namespace marlovex

// Runs a program of the build as a real child process, with a few environment variables
// replaced, and collects its exit code and output. For the tools' end-to-end tests.
//
// Used from the test's main thread only.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace marlovex::testing_support {

struct ChildResult {
    // The exit code, or -signal when a signal ended the child.
    int exitCode = -1;
    std::string standardOutput;
    std::string standardError;
};

// Starts `program` with `arguments` and the test's environment in which each entry of
// `environment` is set (an empty value removes the variable), and waits for it.
ChildResult runChild(const std::string& program, const std::vector<std::string>& arguments,
                     const std::map<std::string, std::string>& environment = {});

} // namespace marlovex::testing_support

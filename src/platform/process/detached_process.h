// Starts another program detached from this one: no shell in between (the arguments reach the
// program exactly as given), no waiting, and no child left behind for this process to reap.
//
// Thread-safe: uses only async-signal-safe calls between fork and exec.
#pragma once

#include <string>
#include <vector>

namespace marlovex::process {

// Starts `program` with `arguments`. Returns false when the program could not be started
// (missing, not executable); the started program's own success is not reported.
bool startDetached(const std::string& program, const std::vector<std::string>& arguments);

} // namespace marlovex::process

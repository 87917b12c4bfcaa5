// How the frame reads its command line: each parameter either restores the registry workspace,
// opens a layout file, or is ignored.
//
// Thread-safe: pure functions.
#pragma once

#include <QString>
#include <functional>

namespace marlovex::frame {

enum class CommandLineAction {
    RestoreWorkspace,
    OpenLayoutFile,
    Ignore,
};

// "/A", "AUTO" and "A", in any letter case, restore the workspace, even when a file of that name
// exists; any other parameter naming an existing file opens it as a layout file, whatever its
// extension.
CommandLineAction classifyParameter(const QString& parameter,
                                    const std::function<bool(const QString&)>& fileExists);

} // namespace marlovex::frame

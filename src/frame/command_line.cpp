#include "frame/command_line.h"

namespace marlovex::frame {

CommandLineAction classifyParameter(const QString& parameter,
                                    const std::function<bool(const QString&)>& fileExists) {
    const QString upper = parameter.toUpper();
    if (upper == QLatin1String("/A") || upper == QLatin1String("AUTO") || upper == QLatin1String("A")) {
        return CommandLineAction::RestoreWorkspace;
    }
    if (fileExists(parameter)) {
        return CommandLineAction::OpenLayoutFile;
    }
    return CommandLineAction::Ignore;
}

} // namespace marlovex::frame

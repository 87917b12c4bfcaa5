#include "lorquin/command_line.h"

#include <charconv>
#include <limits>

namespace marlovex::lorquin {
namespace {

bool isSwitch(const std::string& argument, char letter) {
    return argument.size() == 2 && argument[0] == '/' &&
           (argument[1] == letter || argument[1] == static_cast<char>(letter - 'A' + 'a'));
}

} // namespace

std::int64_t parseCommandLine(const std::vector<std::string>& arguments) {
    if (arguments.size() != 3) {
        throw UsageError("Erwartet werden 3 Argumente, angegeben sind " + std::to_string(arguments.size()) +
                         ".");
    }
    if (!isSwitch(arguments[0], 'W')) {
        throw UsageError("'" + arguments[0] + "' ist nicht der Schalter /W.");
    }
    if (!isSwitch(arguments[2], 'D')) {
        throw UsageError("'" + arguments[2] + "' ist nicht der Schalter /D.");
    }
    const std::string& text = arguments[1];
    std::int64_t number = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || result.ec != std::errc{} || result.ptr != text.data() + text.size() || number <= 0 ||
        number > std::numeric_limits<std::int32_t>::max()) {
        throw UsageError("'" + text + "' ist keine Instrumentnummer.");
    }
    return number;
}

} // namespace marlovex::lorquin

#include "demodata/number_locale.h"

#include <locale>
#include <stdexcept>

namespace marlovex::demodata {

std::optional<char> environmentDecimalSeparator() {
    try {
        // The empty name takes each category from the environment, as setlocale(LC_ALL, "")
        // does, without changing the process's global locale.
        const std::locale environment("");
        return std::use_facet<std::numpunct<char>>(environment).decimal_point();
    } catch (const std::runtime_error&) {
        return std::nullopt;
    }
}

} // namespace marlovex::demodata

// libFuzzer target for the settings file parser: any text either parses or ends in a
// RegistryError naming the line; a parsed document must write and parse again.

#include "platform/registry/reg_file.h"
#include "platform/registry/registry_error.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace marlovex::registry;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const RegDocument document = parseRegFile(text, "fuzz.reg");
        parseRegFile(serializeRegFile(document), "fuzz.reg");
    } catch (const RegistryError&) {
        // Bad input must end here, and only here.
    }
    return 0;
}

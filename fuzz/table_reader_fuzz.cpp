// libFuzzer target for the table file reader: any byte string is parsed as a .DB file and, when
// it parses, every record is decoded and the bytes are also checked as a primary index. Bad
// input must end in a TableError; anything else (a crash, a sanitizer report, another
// exception) is a finding.

#include "platform/paradox/errors.h"
#include "platform/paradox/table_image.h"
#include "platform/paradox/value_conversion.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace marlovex::paradox;
    const std::vector<std::uint8_t> bytes(data, data + size);
    try {
        const TableImage image(bytes, "fuzz.db");
        const auto& fields = image.schema().fields;
        for (std::size_t row = 0; row < image.size(); ++row) {
            const auto record = image.record(row);
            for (std::size_t i = 0; i < fields.size(); ++i) {
                const auto value =
                    decodeField(fields[i], record.subspan(static_cast<std::size_t>(image.fieldOffsets()[i]),
                                                          static_cast<std::size_t>(fields[i].size)));
                (void)formatText(fields[i], value);
            }
        }
        if (image.isKeyed()) {
            (void)image.primaryIndexFault(bytes);
            (void)image.primaryIndexFault(image.buildPrimaryIndex());
        }
    } catch (const TableError&) {
    }
    return 0;
}

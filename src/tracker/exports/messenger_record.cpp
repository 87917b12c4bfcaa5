#include "tracker/exports/messenger_record.h"

#include <exception>

namespace marlovex::tracker::messenger {
bool findRecord(paradox::Table& messages, std::int64_t number) {
    // The messenger's own programs compare instrument numbers as text, so a number stored in a
    // text field matches as well.
    const std::string wanted = std::to_string(number);
    for (messages.first(); !messages.eof(); messages.next()) {
        if (messages.field("FirmaNr").asString() == wanted) {
            return true;
        }
    }
    return false;
}

void writeHandOver(paradox::Table& messages, const HandOver& handOver, bool found) {
    if (found) {
        messages.edit();
    } else {
        messages.append();
    }
    paradox::postOrCancel(messages, [&] {
        try {
            messages.field("FirmaNr").setInteger(handOver.number);
        } catch (const std::exception&) {
            // A number the field cannot hold leaves it as it is; the name still identifies the record.
        }
        messages.field("Firma").setString(handOver.name);
        messages.field("Kurs").setFloat(handOver.price);
        messages.field("Anfang").setFloat(handOver.first);
        messages.field("Minimum").setFloat(handOver.minimum);
        messages.field("Maximum").setFloat(handOver.maximum);
        messages.field("Message").setBoolean(true);
    });
}

} // namespace marlovex::tracker::messenger

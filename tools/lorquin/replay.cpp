#include "lorquin/replay.h"

#include "lorquin/import_error.h"
#include "lorquin/text_lines.h"
#include "platform/paths/file_names.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

namespace marlovex::lorquin {
namespace {

constexpr int millisecondsPerSecond = 1000;

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (auto semicolon = line.find(';'); semicolon != std::string_view::npos;
         semicolon = line.find(';', start)) {
        fields.push_back(trimmed(line.substr(start, semicolon - start)));
        start = semicolon + 1;
    }
    fields.push_back(trimmed(line.substr(start)));
    return fields;
}

template <typename Number> std::optional<Number> wholeNumber(std::string_view text) {
    Number value{};
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc{} || result.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> parseTime(std::string_view text) {
    const auto firstColon = text.find(':');
    const auto secondColon = text.find(':', firstColon == std::string_view::npos ? 0 : firstColon + 1);
    if (firstColon == std::string_view::npos || firstColon > 2 || secondColon == std::string_view::npos ||
        text.size() - secondColon - 1 != 2 || secondColon - firstColon - 1 != 2) {
        return std::nullopt;
    }
    const auto hour = wholeNumber<int>(text.substr(0, firstColon));
    const auto minute = wholeNumber<int>(text.substr(firstColon + 1, 2));
    const auto second = wholeNumber<int>(text.substr(secondColon + 1));
    if (!hour || !minute || !second || *hour < 0 || *hour > 23 || *minute < 0 || *minute > 59 ||
        *second < 0 || *second > 59) {
        return std::nullopt;
    }
    return (*hour * 60 + *minute) * 60 + *second;
}

// One decimal separator, "," or ".", and no grouping: "1.234,5" is refused rather than guessed.
std::optional<double> parsePrice(std::string_view text) {
    std::string normalized(text);
    const auto comma = normalized.find(',');
    if (comma != std::string::npos) {
        if (normalized.find('.') != std::string::npos ||
            normalized.find(',', comma + 1) != std::string::npos) {
            return std::nullopt;
        }
        normalized[comma] = '.';
    }
    const auto price = wholeNumber<double>(normalized);
    if (!price || !(*price > 0) || !std::isfinite(*price)) {
        return std::nullopt;
    }
    return price;
}

int millisecondOfDay(DateTime time) {
    const auto parts = formats::decodeDateTime(time);
    return ((parts.hour * 60 + parts.minute) * 60 + parts.second) * millisecondsPerSecond + parts.millisecond;
}

bool sameDay(DateTime a, DateTime b) {
    const auto first = formats::decodeDateTime(a);
    const auto second = formats::decodeDateTime(b);
    return first.year == second.year && first.month == second.month && first.day == second.day;
}

} // namespace

std::string replayFileName(std::int64_t instrument) {
    return "Kurse" + std::to_string(instrument) + ".csv";
}

std::optional<std::filesystem::path> findReplayFile(const std::filesystem::path& dataDirectory,
                                                    std::int64_t instrument) {
    const auto file = paths::resolveCaseInsensitive(dataDirectory / replayFileName(instrument));
    if (!paths::fileExistsCaseInsensitive(file)) {
        return std::nullopt;
    }
    return file;
}

std::vector<ReplayLine> parseReplayText(std::string_view text, const std::string& fileName) {
    std::vector<ReplayLine> lines;
    int lineNumber = 0;
    for (const std::string_view line : trimmedLines(text)) {
        ++lineNumber;
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const auto fault = [&](const std::string& what) {
            return ImportError("Fehler in der Kursdatei " + fileName + ", Zeile " +
                               std::to_string(lineNumber) + " '" + std::string(line) + "': " + what + ".");
        };
        const auto fields = splitFields(line);
        if (fields.size() < 2 || fields.size() > 3) {
            throw fault("erwartet wird hh:mm:ss;Kurs[;Volumen]");
        }
        ReplayLine quote;
        const auto second = parseTime(fields[0]);
        if (!second) {
            throw fault("'" + std::string(fields[0]) + "' ist keine Uhrzeit hh:mm:ss");
        }
        quote.secondOfDay = *second;
        const auto price = parsePrice(fields[1]);
        if (!price) {
            throw fault("'" + std::string(fields[1]) + "' ist kein positiver Kurs");
        }
        quote.price = *price;
        if (fields.size() == 3 && !fields[2].empty()) {
            quote.volume = wholeNumber<std::int64_t>(fields[2]);
            if (!quote.volume) {
                throw fault("'" + std::string(fields[2]) + "' ist kein ganzzahliges Volumen");
            }
        }
        lines.push_back(quote);
    }
    return lines;
}

std::vector<ReplayLine> readReplayFile(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    std::ostringstream contents;
    if (!stream || !(contents << stream.rdbuf())) {
        throw ImportError("Die Kursdatei " + file.string() + " kann nicht gelesen werden.");
    }
    return parseReplayText(contents.str(), file.string());
}

std::optional<market::Quote> nextReplayQuote(const std::vector<ReplayLine>& lines, std::int64_t instrument,
                                             const std::optional<market::Quote>& last, DateTime now) {
    const int after = last && sameDay(last->time, now) ? millisecondOfDay(last->time) : -1;
    const ReplayLine* next = nullptr;
    for (const auto& line : lines) {
        if (line.secondOfDay * millisecondsPerSecond > after &&
            (!next || line.secondOfDay < next->secondOfDay)) {
            next = &line;
        }
    }
    if (!next) {
        return std::nullopt;
    }
    market::Quote quote;
    quote.instrument = instrument;
    quote.time =
        formats::datePart(now) +
        formats::encodeTime(next->secondOfDay / 3600, next->secondOfDay / 60 % 60, next->secondOfDay % 60);
    quote.price = next->price;
    quote.volume = next->volume;
    return quote;
}

} // namespace marlovex::lorquin

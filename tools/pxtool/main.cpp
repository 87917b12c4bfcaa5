// pxtool: inspection and small edits of Paradox tables from the command line, for users and
// scripts. Exit codes: 0 success, 1 the table is unsound or the operation was refused (key
// violation, lock conflict), 2 bad arguments or unreadable files, 3 (check only) the table reads
// sound but a writer died inside a commit and `pxtool repair` should roll its changes back.

#include "platform/paradox/blob_file.h"
#include "platform/paradox/errors.h"
#include "platform/paradox/session.h"
#include "platform/paradox/table.h"
#include "platform/paradox/table_image.h"
#include "platform/paradox/table_storage.h"
#include "platform/paradox/value_conversion.h"

#include <charconv>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

namespace px = marlovex::paradox;

namespace {

constexpr int kSuccess = 0;
constexpr int kRefused = 1;
constexpr int kBadUsage = 2;
constexpr int kRepairDue = 3;

// Raised for wrong command lines; reported with exit code 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

const char* const kUsage =
    "Aufruf: pxtool schema DATEI\n"
    "        pxtool dump DATEI   (Memos: Zeilenumbruch als \\n)\n"
    "        pxtool check DATEI\n"
    "        pxtool repair DATEI\n"
    "        pxtool append DATEI FELD=WERT...\n"
    "        pxtool create DATEI --field NAME:TYP[:GRÖSSE]... [--key N] [--level 4|5|7]\n";

px::TableImage readTable(const std::string& file) {
    px::TableStorage storage(file);
    auto snapshot = storage.read();
    return px::TableImage(std::move(snapshot.db), storage.dbPath().string());
}

int schemaCommand(const std::string& file) {
    const auto image = readTable(file);
    const auto& schema = image.schema();
    std::cout << "Stufe: " << schema.level << "\n";
    std::cout << "Schlüsselfelder: " << schema.keyFieldCount << "\n";
    std::cout << "Datensätze: " << image.size() << "\n";
    std::cout << "Felder:\n";
    for (const auto& field : schema.fields) {
        std::cout << "  " << field.name << " " << px::typeLetter(field.typeCode);
        if (field.type() == px::FieldType::Alpha || !field.isKnownType()) {
            std::cout << field.size;
        }
        std::cout << "\n";
    }
    return kSuccess;
}

// A memo's text on one dump line: line breaks and backslashes are escaped.
std::string memoLine(const std::vector<std::uint8_t>& blob) {
    const auto text =
        px::windows1252ToUtf8(std::string_view(reinterpret_cast<const char*>(blob.data()), blob.size()));
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        if (text[i] == '\r' || text[i] == '\n') {
            line += "\\n";
        } else if (text[i] == '\\') {
            line += "\\\\";
        } else {
            line += text[i];
        }
    }
    return line;
}

int dumpCommand(const std::string& file) {
    px::TableStorage storage(file);
    auto snapshot = storage.read();
    const px::TableImage image(std::move(snapshot.db), storage.dbPath().string());
    const auto* blobs = snapshot.blobs ? &*snapshot.blobs : nullptr;
    const auto& fields = image.schema().fields;
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        line += (i > 0 ? ";" : "") + fields[i].name;
    }
    std::cout << line << "\n";
    for (std::size_t row = 0; row < image.size(); ++row) {
        const auto record = image.record(row);
        line.clear();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const auto bytes = record.subspan(static_cast<std::size_t>(image.fieldOffsets()[i]),
                                              static_cast<std::size_t>(fields[i].size));
            if (i > 0) {
                line += ';';
            }
            if (px::isBlobType(fields[i].typeCode)) {
                const auto blob = px::readBlob(bytes, blobs, storage.blobPath().string());
                if (px::isMemoType(fields[i].typeCode)) {
                    line += memoLine(blob);
                } else if (!blob.empty()) {
                    line += "<" + std::to_string(blob.size()) + " Bytes>";
                }
                continue;
            }
            line += px::formatText(fields[i], px::decodeField(fields[i], bytes));
        }
        std::cout << line << "\n";
    }
    return kSuccess;
}

int checkCommand(const std::string& file) {
    px::TableStorage storage(file);
    const auto dbPath = storage.dbPath().string();
    auto snapshot = storage.read();
    try {
        const px::TableImage image(std::move(snapshot.db), dbPath);
        if (image.isKeyed()) {
            if (!snapshot.px) {
                std::cout << "Die Tabelle " << dbPath
                          << " ist beschädigt: die Datei des Primärindex fehlt.\n";
                return kRefused;
            }
            if (const auto fault = image.primaryIndexFault(*snapshot.px)) {
                std::cout << "Die Tabelle " << dbPath << " ist beschädigt: " << *fault << ".\n";
                return kRefused;
            }
        }
        std::cout << "Die Tabelle " << dbPath << " ist in Ordnung: " << image.size() << " Datensätze.\n";
        if (storage.repairDue()) {
            // Programs of the family that know no journal would read the half-written files.
            std::cout << "Die Tabelle " << dbPath
                      << " muss repariert werden: ein abgebrochenes Programm hat einen Schreibvorgang "
                         "nicht beendet (pxtool repair "
                      << dbPath << ").\n";
            return kRepairDue;
        }
        return kSuccess;
    } catch (const px::CorruptTableError& error) {
        std::cout << error.what() << "\n";
        return kRefused;
    }
}

int repairCommand(const std::string& file) {
    px::TableStorage storage(file);
    const px::TableStorage::WriteLock lock(storage);
    if (lock.recovered()) {
        std::cout << "Die Tabelle " << storage.dbPath().string()
                  << " ist repariert: der unterbrochene Schreibvorgang ist zurückgenommen.\n";
    } else {
        std::cout << "Die Tabelle " << storage.dbPath().string() << " braucht keine Reparatur.\n";
    }
    return kSuccess;
}

int appendCommand(const std::string& file, const std::vector<std::string>& assignments) {
    px::Table table;
    table.setTableName(file);
    table.open();
    table.append();
    for (const auto& assignment : assignments) {
        const auto equals = assignment.find('=');
        if (equals == std::string::npos) {
            throw UsageError("'" + assignment + "' hat nicht die Form FELD=WERT.");
        }
        const auto name = assignment.substr(0, equals);
        const auto index = table.findField(name);
        if (!index) {
            throw UsageError("Die Tabelle " + table.tablePath().string() + " hat kein Feld '" + name + "'.");
        }
        const auto& field = table.fieldDef(*index);
        px::Value parsed;
        try {
            parsed = px::parseText(field, assignment.substr(equals + 1));
        } catch (const px::TableError& error) {
            throw UsageError(error.what());
        }
        table.field(*index).setValue(px::toUserValue(field, parsed));
    }
    table.post();
    return kSuccess;
}

int createCommand(const std::string& file, const std::vector<std::string>& options) {
    std::vector<px::FieldDef> fields;
    int keyCount = 0;
    int level = 7;
    const auto parseCount = [](const std::string& text, const std::string& what) {
        int value = 0;
        const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
        if (result.ec != std::errc{} || result.ptr != text.data() + text.size() || value < 0) {
            throw UsageError("'" + text + "' ist keine gültige Angabe für " + what + ".");
        }
        return value;
    };
    for (std::size_t i = 0; i < options.size(); ++i) {
        const auto& option = options[i];
        if (i + 1 >= options.size()) {
            throw UsageError("Die Option " + option + " braucht einen Wert.");
        }
        const auto& argument = options[++i];
        if (option == "--key") {
            keyCount = parseCount(argument, "die Zahl der Schlüsselfelder");
        } else if (option == "--level") {
            level = parseCount(argument, "die Stufe");
        } else if (option == "--field") {
            const auto parts = [&] {
                std::vector<std::string> result;
                std::size_t start = 0;
                for (auto colon = argument.find(':'); colon != std::string::npos;
                     colon = argument.find(':', start)) {
                    result.push_back(argument.substr(start, colon - start));
                    start = colon + 1;
                }
                result.push_back(argument.substr(start));
                return result;
            }();
            if (parts.size() < 2 || parts.size() > 3 || parts[0].empty() || parts[1].size() != 1) {
                throw UsageError("'" + argument + "' ist keine gültige Felddefinition NAME:TYP[:GRÖSSE].");
            }
            px::FieldDef field;
            field.name = parts[0];
            try {
                field.typeCode = px::typeCodeFromLetter(parts[1][0]);
            } catch (const px::TableError& error) {
                throw UsageError(error.what());
            }
            const int size = parts.size() == 3 ? parseCount(parts[2], "die Feldgröße") : 0;
            if (field.type() == px::FieldType::Alpha && parts.size() != 3) {
                throw UsageError("Das Alpha-Feld '" + field.name + "' braucht eine Größe.");
            }
            field.size = px::storedSize(field.typeCode, size);
            fields.push_back(field);
        } else {
            throw UsageError("Unbekannte Option " + option + ".");
        }
    }
    if (keyCount > static_cast<int>(fields.size())) {
        throw UsageError("--key " + std::to_string(keyCount) + " übersteigt die Zahl der Felder.");
    }
    std::vector<px::IndexDef> indexes;
    if (keyCount > 0) {
        std::string names;
        for (int i = 0; i < keyCount; ++i) {
            names += (i > 0 ? ";" : "") + fields[static_cast<std::size_t>(i)].name;
        }
        indexes.push_back({"", names, true});
    }
    try {
        px::Table::createTable(file, fields, indexes, level);
    } catch (const px::TableError& error) {
        throw UsageError(error.what());
    }
    return kSuccess;
}

int run(const std::vector<std::string>& arguments) {
    if (arguments == std::vector<std::string>{"--help"}) {
        std::cout << "Paradox-Tabellen ansehen, prüfen und ergänzen.\n\n"
                  << kUsage << "        pxtool --help | --version\n\n"
                  << "Ende-Code: 0 Erfolg, 1 Tabelle beschädigt oder Vorgang abgewiesen, 2 falscher Aufruf\n"
                     "oder unlesbare Datei, 3 (check) Reparatur nötig.\n";
        return kSuccess;
    }
    if (arguments == std::vector<std::string>{"--version"}) {
        std::cout << "pxtool (Marlovex Diagramm-Manager) " << MARLOVEX_VERSION << "\n";
        return kSuccess;
    }
    if (arguments.size() < 2) {
        throw UsageError("Befehl oder Datei fehlt.");
    }
    const auto& command = arguments[0];
    const auto& file = arguments[1];
    const std::vector<std::string> rest(arguments.begin() + 2, arguments.end());
    if (command == "schema" && rest.empty()) {
        return schemaCommand(file);
    }
    if (command == "dump" && rest.empty()) {
        return dumpCommand(file);
    }
    if (command == "check" && rest.empty()) {
        return checkCommand(file);
    }
    if (command == "repair" && rest.empty()) {
        return repairCommand(file);
    }
    if (command == "append") {
        return appendCommand(file, rest);
    }
    if (command == "create") {
        return createCommand(file, rest);
    }
    throw UsageError("Unbekannter Befehl oder falsche Argumente.");
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // Appending to the family's protected tables needs its password, as in the windows.
    px::session().addPassword(std::string(px::familyPassword));
    try {
        return run(arguments);
    } catch (const UsageError& error) {
        std::cerr << "pxtool: " << error.what() << "\n" << kUsage;
        return kBadUsage;
    } catch (const px::KeyViolationError& error) {
        std::cerr << "pxtool: " << error.what() << "\n";
        return kRefused;
    } catch (const px::LockConflictError& error) {
        std::cerr << "pxtool: " << error.what() << "\n";
        return kRefused;
    } catch (const std::exception& error) {
        std::cerr << "pxtool: " << error.what() << "\n";
        return kBadUsage;
    }
}

#include "process_helpers.h"

#include <cmath>
#include <sys/wait.h>
#include <unistd.h>

namespace marlovex::paradox::testing {

namespace {

constexpr double kFirstDay = 46362.0;
constexpr int kFirms = 7;

} // namespace

pid_t startChild(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        int result = 1;
        try {
            result = body();
        } catch (...) {
            result = 3;
        }
        ::_exit(result);
    }
    return child;
}

int waitChild(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

void createQuoteTable(const std::filesystem::path& path) {
    Table::createTable(path,
                       {FieldDef::of("Firma", FieldType::Long), FieldDef::of("ZEIT", FieldType::Timestamp),
                        FieldDef::of("Kurs", FieldType::Money), FieldDef::of("Volumen", FieldType::Long)},
                       {{"INTRADAY", "FIRMA;ZEIT", true}});
}

void appendQuote(Table& table, int n) {
    table.append();
    table.field("Firma").setInteger(n % kFirms);
    table.field("ZEIT").setDateTime(kFirstDay + n / 86400.0);
    table.field("Kurs").setFloat(n * 0.25);
    table.field("Volumen").setInteger(n);
    table.post();
}

int quoteNumber(Table& table) {
    return static_cast<int>(table.field("Volumen").asInteger());
}

bool quoteIsWhole(Table& table) {
    const int n = quoteNumber(table);
    return table.field("Firma").asInteger() == n % kFirms && table.field("Kurs").asFloat() == n * 0.25 &&
           std::abs(table.field("ZEIT").asDateTime() - (kFirstDay + n / 86400.0)) < 1e-8;
}

} // namespace marlovex::paradox::testing

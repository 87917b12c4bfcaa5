// Helpers of the multi-process tests: a child process running a function, and the quote table
// that the children share.
//
// Used from the test's main thread only.
#pragma once

#include "platform/paradox/table.h"

#include <filesystem>
#include <functional>
#include <string>
#include <sys/types.h>

namespace marlovex::paradox::testing {

// Forks a child that runs `body` and exits with its result; the child never returns here.
pid_t startChild(const std::function<int()>& body);
// Waits for the child; returns its exit code, or -signal when a signal ended it.
int waitChild(pid_t child);

void createQuoteTable(const std::filesystem::path& path);
// Appends quote number `n` with values derived from n (so a torn record is detectable).
void appendQuote(Table& table, int n);
// Whether the view's current row carries the values appendQuote derived from its number.
bool quoteIsWhole(Table& table);
int quoteNumber(Table& table);

} // namespace marlovex::paradox::testing

// German texts for the operating system's error numbers. The C library's own texts (strerror)
// follow the C library's language, which is English wherever the German locale is not
// installed; the messages the desktop shows are German throughout, so they take their reasons
// from here.
//
// Pure functions; thread-safe.
#pragma once

#include <string>
#include <system_error>

namespace marlovex {

// The reason for errno value `errorNumber`, lower case so that it can follow a colon:
// systemErrorText(ENOENT) == "die Datei oder das Verzeichnis existiert nicht". Numbers without
// a text of their own give "Systemfehler <number>".
std::string systemErrorText(int errorNumber);

// The same for the error codes of std::filesystem, which carry errno values; codes of other
// categories give their category's own message.
std::string systemErrorText(const std::error_code& error);

} // namespace marlovex

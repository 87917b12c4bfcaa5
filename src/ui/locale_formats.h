// The user's locale, as the platform's number and date-time formats want it: separators and
// patterns taken from the locale that Qt reports for the system (or that a test set as default).
//
// Not thread-safe: reads Qt's default locale; use from the user-interface thread.
#pragma once

#include "platform/formats/date_time.h"
#include "platform/formats/number_format.h"

#include <QLocale>
#include <QString>

namespace marlovex::ui {

formats::NumberLocale numberLocale(const QLocale& locale = QLocale());
formats::DateTimeLocale dateTimeLocale(const QLocale& locale = QLocale());

// Conversions between the formats' UTF-8 strings and Qt's.
inline QString toQString(const std::string& text) {
    return QString::fromStdString(text);
}
inline std::string toStdString(const QString& text) {
    return text.toStdString();
}

} // namespace marlovex::ui

// A time picker whose value is a full date-time: it shows and edits the time of day, and keeps a
// date beside it, so that filters can compare its value with quote times of any day. Values are
// date-time doubles (days since 1899-12-30, see platform/formats/date_time.h).
//
// Not thread-safe: user-interface thread only.
#pragma once

#include "platform/formats/date_time.h"

#include <QWidget>

class QTimeEdit;

namespace marlovex::tracker {

class DateTimePicker : public QWidget {
    Q_OBJECT

public:
    // Starts today at `hour`:`minute`:`second`.
    DateTimePicker(int hour, int minute, int second, QWidget* parent = nullptr);

    formats::DateTime dateTime() const;
    // Throws formats::ConversionError for a value that names no date (NaN, beyond year 9999).
    void setDateTime(formats::DateTime value);

    // The time of day as a day fraction.
    formats::DateTime time() const;
    // Keeps the date and sets the time of day. A time outside 0..1 moves into the neighbouring
    // days: -0.25 is 18:00 on the day before.
    void setTime(formats::DateTime timeOfDay);

    QTimeEdit* editor() const { return m_editor; }

signals:
    // The user or the program changed the value.
    void dateTimeChanged(formats::DateTime value);

private:
    QTimeEdit* m_editor = nullptr;
    formats::DateTime m_date = 0;
};

} // namespace marlovex::tracker

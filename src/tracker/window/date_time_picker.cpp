#include "tracker/window/date_time_picker.h"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QTimeEdit>
#include <cmath>

namespace marlovex::tracker {
namespace {

constexpr double millisecondsPerDay = 86400000.0;

// A whole day number and a time of day joined the way date-time values are: before the epoch the
// fraction counts away from zero, so -1 and 06:00 make -1.25.
formats::DateTime joinDateAndTime(formats::DateTime date, formats::DateTime timeOfDay) {
    return date >= 0 ? date + timeOfDay : date - timeOfDay;
}

} // namespace

DateTimePicker::DateTimePicker(int hour, int minute, int second, QWidget* parent)
    : QWidget(parent) {
    m_editor = new QTimeEdit(this);
    m_editor->setObjectName(QStringLiteral("timeEdit"));
    m_editor->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_editor);
    setFocusProxy(m_editor);
    setSizePolicy(m_editor->sizePolicy());

    m_date = formats::datePart(formats::now());
    m_editor->setTime(QTime(hour, minute, second));
    connect(m_editor, &QTimeEdit::timeChanged, this, [this] { emit dateTimeChanged(dateTime()); });
}

formats::DateTime DateTimePicker::dateTime() const {
    return joinDateAndTime(m_date, time());
}

void DateTimePicker::setDateTime(formats::DateTime value) {
    const formats::DateTimeParts parts = formats::decodeDateTime(value);
    const formats::DateTime before = dateTime();
    {
        const QSignalBlocker blocker(m_editor);
        m_date = formats::encodeDate(parts.year, parts.month, parts.day);
        m_editor->setTime(QTime(parts.hour, parts.minute, parts.second, parts.millisecond));
    }
    if (dateTime() != before) {
        emit dateTimeChanged(dateTime());
    }
}

formats::DateTime DateTimePicker::time() const {
    return m_editor->time().msecsSinceStartOfDay() / millisecondsPerDay;
}

void DateTimePicker::setTime(formats::DateTime timeOfDay) {
    const double wholeDays = std::floor(timeOfDay);
    setDateTime(joinDateAndTime(m_date + wholeDays, timeOfDay - wholeDays));
}

} // namespace marlovex::tracker

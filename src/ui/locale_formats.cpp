#include "ui/locale_formats.h"

#include <QRegularExpression>

namespace marlovex::ui {
namespace {

char singleByte(const QString& text, char fallback) {
    return text.size() == 1 && text[0].unicode() < 0x80 ? static_cast<char>(text[0].unicode()) : fallback;
}

// Qt's pattern letters ("HH:mm:ss t", "dd.MM.yy") in the desktop convention the formats use
// ("hh:nn:ss", "dd.mm.yyyy"): minutes are "n", months "m", time zones are not shown.
QString desktopTimePattern(QString pattern) {
    pattern.remove(QRegularExpression(QStringLiteral("\\s*t+")));
    pattern.replace(QLatin1Char('H'), QLatin1Char('h'));
    pattern.replace(QLatin1Char('m'), QLatin1Char('n'));
    return pattern.trimmed();
}

QString desktopDatePattern(QString pattern) {
    pattern.replace(QLatin1Char('M'), QLatin1Char('m'));
    if (!pattern.contains(QStringLiteral("yyyy"))) {
        pattern.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    }
    return pattern;
}

} // namespace

formats::NumberLocale numberLocale(const QLocale& locale) {
    formats::NumberLocale result;
    result.decimalSeparator = singleByte(locale.decimalPoint(), '.');
    // A locale that groups with a non-breaking space or similar writes a plain blank here.
    result.thousandSeparator = singleByte(locale.groupSeparator(), ' ');
    return result;
}

formats::DateTimeLocale dateTimeLocale(const QLocale& locale) {
    formats::DateTimeLocale result;
    result.shortDatePattern = desktopDatePattern(locale.dateFormat(QLocale::ShortFormat)).toStdString();
    result.longTimePattern = desktopTimePattern(locale.timeFormat(QLocale::LongFormat)).toStdString();
    for (const QChar c : locale.dateFormat(QLocale::ShortFormat)) {
        if (!c.isLetter()) {
            result.dateSeparator = static_cast<char>(c.unicode() < 0x80 ? c.unicode() : '.');
            break;
        }
    }
    return result;
}

} // namespace marlovex::ui

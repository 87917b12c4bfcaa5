// The colours a tracker window gives its prices and results: red for a loss or a fallen level,
// green for a risen level, black otherwise.
//
// Not thread-safe: user-interface thread only.
#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

namespace marlovex::tracker {

inline const QColor lossRed(255, 0, 0);
inline const QColor riseGreen(0, 128, 0);
inline const QColor plainBlack(0, 0, 0);

// Colours a label's caption or an edit's text.
inline void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

} // namespace marlovex::tracker

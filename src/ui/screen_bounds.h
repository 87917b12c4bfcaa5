// Window sizes and positions as settings and layout files give them. Those files may come from
// another desktop or be damaged: a width of 2147483647 asks for a paint buffer of gigabytes. Every
// size is kept to the screen and every position leaves a part of the window on it to grab.
//
// Not thread-safe: user-interface thread only.
#pragma once

#include <QRect>

class QWidget;

namespace marlovex::ui {

// The part of the screen that `widget` is on (or the primary screen) left to windows.
QRect availableScreenArea(const QWidget* widget);

// A width or height between 0 and what is `available`.
int extentOnScreen(int wanted, int available);

// A left or top position that keeps at least a strip of a window `extent` wide on the screen.
int positionOnScreen(int wanted, int extent, int available);

} // namespace marlovex::ui

#include "ui/screen_bounds.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace marlovex::ui {
namespace {

// Enough of a window's edge to take hold of it with the mouse.
constexpr int visibleStrip = 40;

} // namespace

QRect availableScreenArea(const QWidget* widget) {
    const QScreen* screen = widget != nullptr ? widget->screen() : nullptr;
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

int extentOnScreen(int wanted, int available) {
    return std::clamp(wanted, 0, std::max(available, 0));
}

int positionOnScreen(int wanted, int extent, int available) {
    const int lowest = std::min(0, visibleStrip - extent);
    const int highest = std::max(0, available - visibleStrip);
    return std::clamp(wanted, lowest, highest);
}

} // namespace marlovex::ui

#include "tracker/window/tracker_glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace marlovex::tracker {
namespace {

// Draws into a 16 x 16 grid; `enabled` false asks for the greyed second picture.
using Painter = std::function<void(QPainter&, bool enabled)>;

const QColor outline(40, 40, 40);
const QColor greyed(160, 160, 160);
const QColor startGreen(30, 150, 60);
const QColor stopRed(200, 40, 40);
const QColor warrantRed(200, 40, 40);
const QColor underlyingBlue(30, 90, 200);
const QColor paper(255, 255, 255);

QColor tint(const QColor& colour, bool enabled) {
    return enabled ? colour : greyed;
}

void paintStart(QPainter& p, bool enabled) {
    QPainterPath triangle;
    triangle.moveTo(4.5, 2.5);
    triangle.lineTo(13.5, 8);
    triangle.lineTo(4.5, 13.5);
    triangle.closeSubpath();
    p.setPen(QPen(tint(outline, enabled), 1.0));
    p.setBrush(tint(startGreen, enabled));
    p.drawPath(triangle);
}

void paintStop(QPainter& p, bool enabled) {
    p.setPen(QPen(tint(outline, enabled), 1.0));
    p.setBrush(tint(stopRed, enabled));
    p.drawRect(QRectF(3.5, 2.5, 3, 11));
    p.drawRect(QRectF(9.5, 2.5, 3, 11));
}

// A tray with an arrow pointing into it; the disabled picture is crossed out, so a switched-off
// import reads as "off" at a glance.
void paintImport(QPainter& p, bool enabled, const QColor& colour) {
    const QColor ink = tint(colour, enabled);
    p.setPen(QPen(tint(outline, enabled), 1.0));
    p.setBrush(Qt::NoBrush);
    QPainterPath tray;
    tray.moveTo(1.5, 10.5);
    tray.lineTo(1.5, 14.5);
    tray.lineTo(14.5, 14.5);
    tray.lineTo(14.5, 10.5);
    p.drawPath(tray);
    p.setPen(QPen(ink, 2.0, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(8, 1), QPointF(8, 8));
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    QPainterPath head;
    head.moveTo(4, 7);
    head.lineTo(12, 7);
    head.lineTo(8, 12);
    head.closeSubpath();
    p.drawPath(head);
    if (!enabled) {
        p.setPen(QPen(QColor(120, 120, 120), 1.5));
        p.drawLine(QPointF(2, 2), QPointF(14, 14));
    }
}

// A small price line, the mark of an instrument.
void paintInstrument(QPainter& p, bool enabled, const QColor& colour) {
    p.setPen(QPen(tint(outline, enabled), 1.0));
    p.setBrush(paper);
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(tint(colour, enabled), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath line;
    line.moveTo(3, 11);
    line.lineTo(6, 8);
    line.lineTo(8.5, 10);
    line.lineTo(13, 4);
    p.setBrush(Qt::NoBrush);
    p.drawPath(line);
}

void paintMessenger(QPainter& p, bool enabled) {
    p.setPen(QPen(tint(outline, enabled), 1.0));
    p.setBrush(tint(QColor(250, 235, 160), enabled));
    p.drawRect(QRectF(1.5, 3.5, 13, 9));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF{QPointF(1.5, 3.5), QPointF(8, 9), QPointF(14.5, 3.5)});
}

void paintAnalysis(QPainter& p, bool enabled) {
    p.setPen(QPen(tint(outline, enabled), 1.0));
    p.setBrush(paper);
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(tint(QColor(120, 120, 120), enabled), 1.0));
    for (double y = 5.5; y < 14; y += 3) {
        p.drawLine(QPointF(2, y), QPointF(14, y));
    }
    p.drawLine(QPointF(6.5, 2), QPointF(6.5, 14));
    p.setPen(QPen(tint(QColor(0, 160, 0), enabled), 2.0));
    p.drawLine(QPointF(8, 10), QPointF(14, 10));
}

void paintRecord(QPainter& p, bool enabled) {
    const QColor body = tint(QColor(90, 130, 190), enabled);
    p.setPen(QPen(tint(outline, enabled), 1.0));
    p.setBrush(body);
    p.drawRect(QRectF(2.5, 4.5, 11, 10));
    p.drawEllipse(QRectF(2.5, 2.5, 11, 4));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(2.5, 7.5, 11, 4), 180 * 16, 180 * 16);
}

QPixmap render(const Painter& painter, int size, bool enabled) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    painter(p, enabled);
    return pixmap;
}

QIcon twoStateIcon(const Painter& painter) {
    QIcon icon;
    for (const int size : {16, 32}) {
        icon.addPixmap(render(painter, size, true), QIcon::Normal);
        icon.addPixmap(render(painter, size, false), QIcon::Disabled);
    }
    return icon;
}

} // namespace

QIcon trackerIcon(TrackerGlyph glyph) {
    switch (glyph) {
    case TrackerGlyph::Start:
        return twoStateIcon(paintStart);
    case TrackerGlyph::Stop:
        return twoStateIcon(paintStop);
    case TrackerGlyph::WarrantImport:
        return twoStateIcon([](QPainter& p, bool enabled) { paintImport(p, enabled, warrantRed); });
    case TrackerGlyph::UnderlyingImport:
        return twoStateIcon([](QPainter& p, bool enabled) { paintImport(p, enabled, underlyingBlue); });
    case TrackerGlyph::Warrant:
        return twoStateIcon([](QPainter& p, bool enabled) { paintInstrument(p, enabled, warrantRed); });
    case TrackerGlyph::Underlying:
        return twoStateIcon([](QPainter& p, bool enabled) { paintInstrument(p, enabled, underlyingBlue); });
    case TrackerGlyph::Messenger:
        return twoStateIcon(paintMessenger);
    case TrackerGlyph::Analysis:
        return twoStateIcon(paintAnalysis);
    case TrackerGlyph::Record:
        return twoStateIcon(paintRecord);
    }
    return {};
}

} // namespace marlovex::tracker

#include "ui/image_list.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace marlovex::ui {
namespace {

using Painter = std::function<void(QPainter&)>;

const QColor outline(40, 40, 40);
const QColor paper(255, 255, 255);
const QColor windowBlue(44, 98, 178);
const QColor folderYellow(236, 190, 72);
const QColor warrantRed(200, 40, 40);
const QColor underlyingBlue(30, 90, 200);

QPen thinPen(const QColor& colour) {
    QPen pen(colour, 1.0);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

void drawPage(QPainter& p, const QRectF& page) {
    p.setPen(thinPen(outline));
    p.setBrush(paper);
    p.drawRect(page);
}

// A small window with a blue title bar, the building block of the window commands.
void drawWindow(QPainter& p, const QRectF& frame) {
    p.setPen(thinPen(outline));
    p.setBrush(paper);
    p.drawRect(frame);
    p.fillRect(QRectF(frame.left() + 0.5, frame.top() + 0.5, frame.width() - 0.5, 2.5), windowBlue);
}

void paintCut(QPainter& p) {
    p.setPen(QPen(outline, 1.2));
    p.drawLine(QPointF(5, 2), QPointF(10.5, 10));
    p.drawLine(QPointF(11, 2), QPointF(5.5, 10));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(4.5, 12.5), 2.2, 2.2);
    p.drawEllipse(QPointF(11.5, 12.5), 2.2, 2.2);
}

void paintCopy(QPainter& p) {
    drawPage(p, QRectF(1.5, 1.5, 8, 10));
    drawPage(p, QRectF(6.5, 4.5, 8, 10));
    p.setPen(thinPen(QColor(120, 120, 120)));
    for (int y = 7; y <= 12; y += 2) {
        p.drawLine(QPointF(8, y + 0.5), QPointF(13, y + 0.5));
    }
}

void paintPaste(QPainter& p) {
    p.setPen(thinPen(outline));
    p.setBrush(QColor(176, 124, 64));
    p.drawRect(QRectF(1.5, 2.5, 10, 12));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(4.5, 1.5, 4, 2));
    drawPage(p, QRectF(7.5, 6.5, 7, 8));
}

void paintOpen(QPainter& p) {
    p.setPen(thinPen(outline));
    p.setBrush(folderYellow.darker(115));
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6.5, 3.5);
    back.lineTo(7.5, 5.5);
    back.lineTo(13.5, 5.5);
    back.lineTo(13.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(folderYellow);
    QPainterPath front;
    front.moveTo(1.5, 13.5);
    front.lineTo(4.0, 7.5);
    front.lineTo(15.5, 7.5);
    front.lineTo(13.5, 13.5);
    front.closeSubpath();
    p.drawPath(front);
}

void paintSave(QPainter& p) {
    p.setPen(thinPen(outline));
    p.setBrush(windowBlue);
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(paper);
    p.drawRect(QRectF(3.5, 1.5, 9, 5));
    p.setBrush(QColor(190, 190, 190));
    p.drawRect(QRectF(4.5, 9.5, 7, 5));
    p.fillRect(QRectF(9, 10.5, 1.5, 3), outline);
}

void paintTileHorizontal(QPainter& p) {
    drawWindow(p, QRectF(1.5, 1.5, 13, 6));
    drawWindow(p, QRectF(1.5, 8.5, 13, 6));
}

void paintTileVertical(QPainter& p) {
    drawWindow(p, QRectF(1.5, 1.5, 6, 13));
    drawWindow(p, QRectF(8.5, 1.5, 6, 13));
}

void paintCascade(QPainter& p) {
    drawWindow(p, QRectF(1.5, 1.5, 9, 8));
    drawWindow(p, QRectF(3.5, 4.5, 9, 8));
    drawWindow(p, QRectF(5.5, 7.5, 9, 7));
}

// A chart page: the "new chart window" command.
void paintNewChart(QPainter& p) {
    drawPage(p, QRectF(2.5, 1.5, 11, 13));
    p.setPen(QPen(underlyingBlue, 1.3));
    QPolygonF line;
    line << QPointF(4, 11) << QPointF(6.5, 8) << QPointF(8.5, 9.5) << QPointF(12, 4.5);
    p.drawPolyline(line);
    p.fillRect(QRectF(10.5, 0.5, 5, 5), QColor(250, 210, 40));
    p.setPen(thinPen(outline));
    p.drawLine(QPointF(13, 1.5), QPointF(13, 4.5));
    p.drawLine(QPointF(11.5, 3), QPointF(14.5, 3));
}

void paintExit(QPainter& p) {
    p.setPen(thinPen(outline));
    p.setBrush(QColor(150, 100, 60));
    p.drawRect(QRectF(2.5, 1.5, 8, 13));
    p.setBrush(QColor(90, 60, 35));
    QPolygonF door;
    door << QPointF(2.5, 1.5) << QPointF(7.5, 3.5) << QPointF(7.5, 15.5) << QPointF(2.5, 14.5);
    p.drawPolygon(door);
    p.setPen(QPen(QColor(200, 30, 30), 1.6));
    p.drawLine(QPointF(9.5, 8), QPointF(15, 8));
    p.drawLine(QPointF(12.5, 5.5), QPointF(15, 8));
    p.drawLine(QPointF(12.5, 10.5), QPointF(15, 8));
}

// Two price lines, warrant and underlying: the warrant tracker.
void paintWarrantTracker(QPainter& p) {
    drawPage(p, QRectF(0.5, 1.5, 15, 13));
    p.setPen(QPen(underlyingBlue, 1.3));
    QPolygonF underlying;
    underlying << QPointF(2, 11) << QPointF(5, 9) << QPointF(8, 10) << QPointF(11, 6) << QPointF(14, 5);
    p.drawPolyline(underlying);
    p.setPen(QPen(warrantRed, 1.3));
    QPolygonF warrant;
    warrant << QPointF(2, 12.5) << QPointF(5, 8) << QPointF(8, 9.5) << QPointF(11, 4) << QPointF(14, 3);
    p.drawPolyline(warrant);
}

Painter painterFor(int index) {
    switch (static_cast<ImageIndex>(index)) {
    case ImageIndex::Cut:
        return paintCut;
    case ImageIndex::Copy:
        return paintCopy;
    case ImageIndex::Paste:
        return paintPaste;
    case ImageIndex::Open:
        return paintOpen;
    case ImageIndex::Save:
        return paintSave;
    case ImageIndex::TileHorizontal:
        return paintTileHorizontal;
    case ImageIndex::TileVertical:
        return paintTileVertical;
    case ImageIndex::Cascade:
        return paintCascade;
    case ImageIndex::NewChart:
        return paintNewChart;
    case ImageIndex::Exit:
        return paintExit;
    case ImageIndex::WarrantTracker:
        return paintWarrantTracker;
    }
    return {};
}

QImage render(const Painter& paint, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    paint(p);
    return image;
}

} // namespace

QIcon imageListIcon(int index) {
    const Painter paint = painterFor(index);
    if (!paint) {
        return {};
    }
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(render(paint, 16)));
    icon.addPixmap(QPixmap::fromImage(render(paint, 32)));
    return icon;
}

QIcon imageListIcon(ImageIndex index) {
    return imageListIcon(static_cast<int>(index));
}

QImage imageListImage(ImageIndex index, int size) {
    const Painter paint = painterFor(static_cast<int>(index));
    return paint ? render(paint, size) : QImage();
}

} // namespace marlovex::ui

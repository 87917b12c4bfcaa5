#include "tracker/window/record_navigator.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>

namespace marlovex::tracker {
namespace {

// The classic navigator arrows: one triangle for a single step, a bar before or after it for a
// move to the end of the table.
QPixmap arrowPixmap(int size, bool toEnd, bool pointsLeft, const QColor& colour) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    if (pointsLeft) {
        p.translate(16, 0);
        p.scale(-1, 1);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    QPainterPath triangle;
    triangle.moveTo(5, 3);
    triangle.lineTo(11, 8);
    triangle.lineTo(5, 13);
    triangle.closeSubpath();
    p.drawPath(triangle);
    if (toEnd) {
        p.drawRect(QRectF(11.5, 3, 2, 10));
    }
    return pixmap;
}

QIcon arrowIcon(bool toEnd, bool pointsLeft) {
    QIcon icon;
    for (const int size : {16, 32}) {
        icon.addPixmap(arrowPixmap(size, toEnd, pointsLeft, QColor(40, 40, 40)), QIcon::Normal);
        icon.addPixmap(arrowPixmap(size, toEnd, pointsLeft, QColor(170, 170, 170)), QIcon::Disabled);
    }
    return icon;
}

} // namespace

RecordNavigator::RecordNavigator(QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_first = addMoveButton(QStringLiteral("firstButton"), QStringLiteral("Erster Datensatz"), true, true);
    m_prior =
        addMoveButton(QStringLiteral("priorButton"), QStringLiteral("Vorheriger Datensatz"), false, true);
    m_next = addMoveButton(QStringLiteral("nextButton"), QStringLiteral("Nächster Datensatz"), false, false);
    m_last = addMoveButton(QStringLiteral("lastButton"), QStringLiteral("Letzter Datensatz"), true, false);
    connect(m_first, &QToolButton::clicked, this, &RecordNavigator::firstRequested);
    connect(m_prior, &QToolButton::clicked, this, &RecordNavigator::priorRequested);
    connect(m_next, &QToolButton::clicked, this, &RecordNavigator::nextRequested);
    connect(m_last, &QToolButton::clicked, this, &RecordNavigator::lastRequested);
    setDataSourceAttached(false);
}

QToolButton* RecordNavigator::addMoveButton(const QString& objectName, const QString& hint, bool toEnd,
                                            bool pointsLeft) {
    auto* button = new QToolButton(this);
    button->setObjectName(objectName);
    button->setToolTip(hint);
    button->setIcon(arrowIcon(toEnd, pointsLeft));
    button->setAutoRaise(false);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setFixedHeight(20);
    layout()->addWidget(button);
    return button;
}

void RecordNavigator::setDataSourceAttached(bool attached) {
    m_attached = attached;
    for (QToolButton* button : {m_first, m_prior, m_next, m_last}) {
        button->setEnabled(attached);
    }
}

} // namespace marlovex::tracker

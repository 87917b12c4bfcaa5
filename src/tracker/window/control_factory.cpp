#include "tracker/window/control_factory.h"

#include "tracker/window/tracker_glyphs.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace marlovex::tracker {

QLabel* namedLabel(QWidget* parent, const QString& name, const QString& caption, const QString& hint) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setToolTip(hint);
    return label;
}

QLabel* valueLabel(QWidget* parent, const QString& name, const QString& caption, const QString& hint) {
    QLabel* label = namedLabel(parent, name, caption, hint);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLabel* captionLabel(QWidget* parent, const QString& name, const QString& caption) {
    return namedLabel(parent, name, caption);
}

QLabel* sectionLabel(QWidget* parent, const QString& name, const QString& caption) {
    QLabel* label = namedLabel(parent, name, caption);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QLabel* handCursorLabel(QWidget* parent, const QString& name, const QString& caption) {
    QLabel* label = namedLabel(parent, name, caption);
    label->setCursor(Qt::PointingHandCursor);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    return label;
}

QLineEdit* numberEdit(QWidget* parent, const QString& name, const QString& text, const QString& hint) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    edit->setToolTip(hint);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Prices are short; without this the edits would claim a third of the window each.
    edit->setMinimumWidth(44);
    edit->setMaximumWidth(110);
    edit->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return edit;
}

QCheckBox* namedCheckBox(QWidget* parent, const QString& name, const QString& caption, const QString& hint) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setToolTip(hint);
    return box;
}

QToolButton* glyphButton(QWidget* parent, const QString& name, TrackerGlyph glyph, const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(trackerIcon(glyph));
    button->setToolTip(hint);
    button->setAutoRaise(true);
    return button;
}

QFrame* namedPanel(QWidget* parent, const QString& name, const QString& hint) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setToolTip(hint);
    return panel;
}

QGridLayout* tabGrid(QWidget* tab) {
    auto* grid = new QGridLayout(tab);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    return grid;
}

} // namespace marlovex::tracker

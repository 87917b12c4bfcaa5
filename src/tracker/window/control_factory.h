// Small builders for the tracker window's controls: each creates one control, gives it its
// control name as objectName and sets caption, hint and default text in one call, so the
// layout code reads as the list of controls it builds.
//
// Not thread-safe: user-interface thread only.
#pragma once

#include <QString>

class QCheckBox;
class QFrame;
class QGridLayout;
class QLabel;
class QLineEdit;
class QToolButton;
class QWidget;

namespace marlovex::tracker {

enum class TrackerGlyph;

// A label named like its control (Label57). An empty hint leaves the hint of the parent in force.
QLabel* namedLabel(QWidget* parent, const QString& name, const QString& caption, const QString& hint = {});
// A label that shows a value: right-aligned digits.
QLabel* valueLabel(QWidget* parent, const QString& name, const QString& caption, const QString& hint = {});
// A fixed caption such as a column title; `name` is a plain English objectName.
QLabel* captionLabel(QWidget* parent, const QString& name, const QString& caption);
// A section title inside a tab.
QLabel* sectionLabel(QWidget* parent, const QString& name, const QString& caption);
// A label that takes a price over on a click or double-click, shown with the hand cursor.
QLabel* handCursorLabel(QWidget* parent, const QString& name, const QString& caption);

QLineEdit* numberEdit(QWidget* parent, const QString& name, const QString& text, const QString& hint = {});
QCheckBox* namedCheckBox(QWidget* parent, const QString& name, const QString& caption,
                         const QString& hint = {});
QToolButton* glyphButton(QWidget* parent, const QString& name, TrackerGlyph glyph, const QString& hint = {});
QFrame* namedPanel(QWidget* parent, const QString& name, const QString& hint = {});

// A grid with the tight spacing of the tabs.
QGridLayout* tabGrid(QWidget* tab);

} // namespace marlovex::tracker

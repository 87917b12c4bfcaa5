// The instrument picker (the companion library's TWertWahlForm): a modal list of instrument
// names from which the user picks one.
//
// Not thread-safe: user-interface thread only.
#pragma once

#include <QDialog>
#include <QPointer>

class QListWidget;

namespace marlovex::companion {

class TWertWahlForm : public QDialog {
    Q_OBJECT

public:
    explicit TWertWahlForm(QWidget* owner = nullptr);

    void clearItems();
    void addItem(const QString& name);
    // Selects the entry of that name; with no such entry nothing is selected.
    void selectItem(const QString& name);
    // The selected entry's text; empty when nothing is selected.
    QString selectedText() const;

    QListWidget* listBox() const { return m_listBox; }

private:
    QListWidget* m_listBox = nullptr;
};

// The current picker, as the companion library keeps it in its global.
TWertWahlForm* WertWahlForm();
void setWertWahlForm(TWertWahlForm* form);

} // namespace marlovex::companion

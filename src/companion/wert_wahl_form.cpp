#include "companion/wert_wahl_form.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

namespace marlovex::companion {
namespace {

QPointer<TWertWahlForm> currentPicker;

} // namespace

TWertWahlForm::TWertWahlForm(QWidget* owner)
    : QDialog(owner) {
    setObjectName(QStringLiteral("WertWahlForm"));
    setWindowTitle(QStringLiteral("Wertauswahl"));
    resize(260, 360);
    m_listBox = new QListWidget(this);
    m_listBox->setObjectName(QStringLiteral("ListBox1"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_listBox, 1);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_listBox, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

void TWertWahlForm::clearItems() {
    m_listBox->clear();
}

void TWertWahlForm::addItem(const QString& name) {
    m_listBox->addItem(name);
}

void TWertWahlForm::selectItem(const QString& name) {
    m_listBox->setCurrentRow(-1);
    m_listBox->clearSelection();
    const QList<QListWidgetItem*> matches = m_listBox->findItems(name, Qt::MatchExactly);
    if (!matches.isEmpty()) {
        m_listBox->setCurrentItem(matches.front());
        m_listBox->scrollToItem(matches.front());
    }
}

QString TWertWahlForm::selectedText() const {
    const QList<QListWidgetItem*> selected = m_listBox->selectedItems();
    return selected.isEmpty() ? QString() : selected.front()->text();
}

TWertWahlForm* WertWahlForm() {
    return currentPicker.data();
}

void setWertWahlForm(TWertWahlForm* form) {
    currentPicker = form;
}

} // namespace marlovex::companion

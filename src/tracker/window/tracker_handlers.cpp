// Binds the window's controls to their handlers. Every handler runs through the central error
// display, so an error ends only the event that raised it.
#include "tracker/chart/colour_line.h"
#include "tracker/chart/tracker_chart.h"
#include "tracker/live/quote_list_model.h"
#include "tracker/window/date_time_picker.h"
#include "tracker/window/record_navigator.h"
#include "tracker/window/tosp_form.h"
#include "ui/error_display.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <utility>

namespace marlovex::tracker {
namespace {

// Labels have no click signals of their own; this filter gives them one for the mouse event
// given (a release for a click, a double click).
class LabelClickFilter : public QObject {
public:
    LabelClickFilter(QObject* parent, QEvent::Type trigger, std::function<void()> handler)
        : QObject(parent)
        , m_trigger(trigger)
        , m_handler(std::move(handler)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == m_trigger) {
            ui::runHandler(m_handler);
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QEvent::Type m_trigger;
    std::function<void()> m_handler;
};

} // namespace

void TOSP_Form::connectHandlers() {
    const auto bind = [this](auto* sender, auto signal, auto handler) {
        connect(sender, signal, this,
                [this, handler] { ui::runHandler([this, handler] { handler(this); }); });
    };
    bind(SpeedButton1, &QToolButton::clicked, [](TOSP_Form* form) { form->SpeedButton1Click(form); });
    bind(SpeedButton2, &QToolButton::clicked, [](TOSP_Form* form) { form->SpeedButton1Click(form); });
    bind(Timer1, &QTimer::timeout, [](TOSP_Form* form) { form->Timer1Timer(); });
    bind(Timer2, &QTimer::timeout, [](TOSP_Form* form) { form->Timer2Timer(); });
    bind(Button1, &QPushButton::clicked, [](TOSP_Form* form) { form->Button1Click(); });
    bind(Button2, &QPushButton::clicked, [](TOSP_Form* form) { form->Button2Click(); });
    bind(SpeedButton3, &QToolButton::clicked, [](TOSP_Form* form) { form->SpeedButton3Click(form); });
    bind(SpeedButton4, &QToolButton::clicked, [](TOSP_Form* form) { form->SpeedButton4Click(form); });
    bind(CheckBox1, &QCheckBox::toggled, [](TOSP_Form* form) { form->CheckBox1Click(); });
    bind(CheckBox4, &QCheckBox::toggled, [](TOSP_Form* form) { form->CheckBox4Click(); });
    bind(Edit1, &QLineEdit::textChanged, [](TOSP_Form* form) { form->Edit1Change(form); });
    bind(Edit2, &QLineEdit::textChanged, [](TOSP_Form* form) { form->Edit2Change(form); });
    for (QLineEdit* purchase : {Edit3, Edit8, Edit9}) {
        bind(purchase, &QLineEdit::textChanged, [](TOSP_Form* form) { form->Edit3Change(form); });
    }
    for (QLineEdit* input : {Edit1, Edit2, Edit3, Edit8, Edit9}) {
        connect(input, &QLineEdit::editingFinished, this, [this, input] {
            ui::runHandler([this, input] { repairCalculatorInputAfterEditing(input); });
        });
    }
    const std::pair<QLabel*, void (TOSP_Form::*)()> takeOvers[] = {{Label23, &TOSP_Form::Label23DblClick},
                                                                   {Label24, &TOSP_Form::Label24DblClick},
                                                                   {Label25, &TOSP_Form::Label25DblClick},
                                                                   {Label31, &TOSP_Form::Label31DblClick}};
    for (const auto& [label, handler] : takeOvers) {
        label->installEventFilter(new LabelClickFilter(label, QEvent::MouseButtonDblClick,
                                                       [this, handler = handler] { (this->*handler)(); }));
    }
    Label39->installEventFilter(
        new LabelClickFilter(Label39, QEvent::MouseButtonRelease, [this] { Label39Click(); }));
    Label40->installEventFilter(
        new LabelClickFilter(Label40, QEvent::MouseButtonRelease, [this] { Label40Click(); }));
    for (QLineEdit* level : {Edit6, Edit7}) {
        bind(level, &QLineEdit::textChanged, [](TOSP_Form* form) { form->Edit6Change(); });
    }
    for (QLineEdit* level : {Edit4, Edit5}) {
        bind(level, &QLineEdit::textChanged, [](TOSP_Form* form) { form->Edit4Change(); });
    }
    connect(DBChart1->ChartTool3, &ColourLine::endDrag, this,
            [this](double value) { ui::runHandler([this, value] { ChartTool3EndDragLine(value); }); });
    bind(Eintragen, &QPushButton::clicked, [](TOSP_Form* form) { form->EintragenClick(); });
    bind(SpeedButton11, &QToolButton::clicked,
         [](TOSP_Form* form) { form->KursinMessagereintragen1Click(form); });
    bind(SpeedButton5, &QToolButton::clicked, [](TOSP_Form* form) { form->SpeedButton5Click(form); });
    bind(SpeedButton6, &QToolButton::clicked, [](TOSP_Form* form) { form->SpeedButton6Click(form); });
    bind(CheckBox3, &QCheckBox::toggled, [](TOSP_Form* form) { form->CheckBox3Click(); });
    bind(DiagrammEigenschaften1, &QAction::triggered,
         [](TOSP_Form* form) { form->DiagrammEigenschaften1Click(); });
    bind(OSAchseinvertiert1, &QAction::triggered, [](TOSP_Form* form) { form->OSAchseinvertiert1Click(); });

    // The filters compare quote times with the pickers' values as they stand.
    connect(DateTimePicker1, &DateTimePicker::dateTimeChanged, this,
            [this](formats::DateTime value) { tables.filter.timeFilterFrom = value; });
    connect(DateTimePicker2, &DateTimePicker::dateTimeChanged, this,
            [this](formats::DateTime value) { tables.filter.timeFilterTo = value; });
    tables.filter.timeFilterFrom = DateTimePicker1->dateTime();
    tables.filter.timeFilterTo = DateTimePicker2->dateTime();

    bind(DBNavigator1, &RecordNavigator::firstRequested,
         [](TOSP_Form* form) { form->moveQuoteCursor(&paradox::Table::first); });
    bind(DBNavigator1, &RecordNavigator::priorRequested,
         [](TOSP_Form* form) { form->moveQuoteCursor(&paradox::Table::prior); });
    bind(DBNavigator1, &RecordNavigator::nextRequested,
         [](TOSP_Form* form) { form->moveQuoteCursor(&paradox::Table::next); });
    bind(DBNavigator1, &RecordNavigator::lastRequested,
         [](TOSP_Form* form) { form->moveQuoteCursor(&paradox::Table::last); });
    DBNavigator1->setDataSourceAttached(true);
}

void TOSP_Form::CheckBox1Click() {
    CalcEnabled = true;
    // The estimated underlying follows the new direction.
    Edit1Change(this);
    // A put is drawn upside down, so that its line moves the same way as the underlying's.
    OSAchseinvertiert1->setChecked(CheckBox1->isChecked());
    DBChart1->setWarrantAxisInverted(CheckBox1->isChecked());
    DBChart1->replot();
}

void TOSP_Form::CheckBox3Click() {
    const formats::DateTime today = formats::datePart(m_environment.now());
    DateTimePicker1->setDateTime(today + DateTimePicker1->time());
    DateTimePicker2->setDateTime(today + DateTimePicker2->time());
    tables.applyTimeFilter(CheckBox3->isChecked(), DateTimePicker1->dateTime(), DateTimePicker2->dateTime());
    refreshQuoteViews();
}

void TOSP_Form::OSAchseinvertiert1Click() {
    // The menu item checks itself when triggered; the axis follows its new state.
    DBChart1->setWarrantAxisInverted(OSAchseinvertiert1->isChecked());
    DBChart1->replot();
}

void TOSP_Form::moveQuoteCursor(void (paradox::Table::*move)()) {
    paradox::Table& quotes = tables.Table1;
    if (!quotes.active()) {
        return;
    }
    (quotes.*move)();
    if (quotes.isEmpty()) {
        return;
    }
    // The list holds the rows of the last scan; the row with the cursor's time is the current one.
    const formats::DateTime time = quotes.field("ZEIT").asDateTime();
    const std::vector<QuoteRow>& rows = DataSource1->rows();
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (rows[row].time == time) {
            DBGrid1->selectRow(static_cast<int>(row));
            break;
        }
    }
}

} // namespace marlovex::tracker

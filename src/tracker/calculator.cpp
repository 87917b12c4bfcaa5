// The what-if calculator of the "Rechner" tab: estimated warrant and underlying prices converted
// into each other through the day's ratio, differences to the current and purchase prices, the
// invested sum and the profit or loss with or without fees.
#include "tracker/tosp_form.h"
#include "tracker/tracker_chart.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <exception>

namespace marlovex::tracker {
namespace {

const QColor red(255, 0, 0);
const QColor black(0, 0, 0);

QColor colourOf(const QLabel* label) {
    // A negative value, or an exponent form such as 1,2E-5, shows red.
    return label->text().contains(QLatin1Char('-')) ? red : black;
}

void colour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

void colourByText(QLabel* label) {
    colour(label, colourOf(label));
}

} // namespace

double TOSP_Form::legFees(double price, double quantity) const {
    return price * quantity * MaklerFee / 1000 + price * quantity * BankFee / 100 + ClearingFee;
}

double TOSP_Form::lastPrice(paradox::Table& quotes) {
    quotes.last();
    return quotes.field("Kurs").asFloat();
}

void TOSP_Form::Edit1Change(QObject* sender) {
    if (!CalcEnabled) {
        return;
    }
    CalcEnabled = false;
    try {
        const double warrant = lastPrice(tables.Table1);
        const double underlying = lastPrice(tables.Table2);
        if (OSBasisRatio == 0) {
            Edit2->setText(QStringLiteral("0,00"));
        } else {
            const double points = (valueOf(Edit1) - warrant) / OSBasisRatio;
            Edit2->setText(fixed(CheckBox1->isChecked() ? underlying - points : underlying + points));
        }
    } catch (const std::exception&) {
        // An estimate that is no number converts nothing; the next tick repairs it.
        CalcEnabled = true;
        return;
    }
    CalcEnabled = true;
    Edit3Change(sender);
}

void TOSP_Form::Edit2Change(QObject* sender) {
    if (!CalcEnabled) {
        return;
    }
    CalcEnabled = false;
    try {
        const double warrant = lastPrice(tables.Table1);
        const double underlying = lastPrice(tables.Table2);
        const double points = (valueOf(Edit2) - underlying) * OSBasisRatio;
        Edit1->setText(fixed(CheckBox1->isChecked() ? warrant - points : warrant + points));
    } catch (const std::exception&) {
        CalcEnabled = true;
        return;
    }
    CalcEnabled = true;
    Edit3Change(sender);
}

void TOSP_Form::Edit3Change(QObject*) {
    const auto percent = [this](double value) { return grouped(value, 2) + QLatin1Char('%'); };
    const QString noPercent = QStringLiteral("0 %");
    try {
        const double warrant = lastPrice(tables.Table1);
        if (warrant != 0) {
            Label26->setText(percent(valueOf(Edit1) * 100 / warrant - 100));
        }
        colourByText(Label26);
        Label62->setText(grouped(valueOf(Edit1) - warrant, 2));
        colourByText(Label62);

        const double underlying = lastPrice(tables.Table2);
        if (underlying != 0) {
            try {
                Label30->setText(percent(valueOf(Edit2) * 100 / underlying - 100));
            } catch (const std::exception&) {
                Label30->setText(noPercent);
            }
        }
        colourByText(Label30);
        Label61->setText(grouped(valueOf(Edit2) - underlying, 1));
        colourByText(Label61);

        const double purchase = valueOf(Edit3);
        if (purchase != 0) {
            try {
                Label45->setText(percent(valueOf(Edit1) * 100 / purchase - 100));
            } catch (const std::exception&) {
                Label45->setText(noPercent);
            }
        }
        colourByText(Label45);
        Label60->setText(grouped(valueOf(Edit1) - purchase, 2));
        colourByText(Label60);
        Label63->setText(grouped(valueOf(Edit1) - purchase, 2));
        colourByText(Label63);

        const double underlyingPurchase = valueOf(Edit8);
        if (underlyingPurchase != 0) {
            try {
                Label32->setText(percent(valueOf(Edit2) * 100 / underlyingPurchase - 100));
            } catch (const std::exception&) {
                Label32->setText(noPercent);
            }
        }
        colourByText(Label32);
        Label58->setText(grouped(valueOf(Edit2) - underlyingPurchase, 1));
        colourByText(Label58);
        Label12->setText(grouped(valueOf(Edit2) - underlyingPurchase, 1));
        colourByText(Label12);

        double selling = 0;
        try {
            selling = legFees(valueOf(Edit1), valueOf(Edit9));
        } catch (const std::exception&) {
            selling = 0;
        }
        double buying = 0;
        try {
            buying = legFees(valueOf(Edit3), valueOf(Edit9));
        } catch (const std::exception&) {
            buying = 0;
        }
        try {
            Label66->setText(grouped(valueOf(Edit3) * valueOf(Edit9), 2));
        } catch (const std::exception&) {
            Label66->setText(QStringLiteral("0,00"));
        }
        colourByText(Label66);
        const double fees = CheckBox4->isChecked() ? selling + buying : 0;
        const double quantity = valueOf(Edit9);
        Label57->setText(grouped(valueOf(Edit1) * quantity - valueOf(Edit3) * quantity - fees, 2));
        Label64->setText(Label57->text());
        colourByText(Label64);
        colour(Label57, colourOf(Label64));
    } catch (const std::exception&) {
        // An input that is no number ends the recalculation here; the next tick repairs it.
    }
}

void TOSP_Form::CheckBox4Click() {
    for (const QLineEdit* edit : {Edit1, Edit3, Edit2, Edit8}) {
        if (edit->text() == QLatin1String("0")) {
            return;
        }
    }
    Timer1Timer();
    Edit3Change(this);
}

void TOSP_Form::takePriceOver(paradox::Table& quotes, QLineEdit* input) {
    quotes.last();
    input->setText(fieldText(quotes, "Kurs"));
}

void TOSP_Form::Label23DblClick() {
    takePriceOver(tables.Table1, Edit1);
}

void TOSP_Form::Label24DblClick() {
    takePriceOver(tables.Table2, Edit2);
}

void TOSP_Form::Label25DblClick() {
    takePriceOver(tables.Table1, Edit3);
}

void TOSP_Form::Label31DblClick() {
    takePriceOver(tables.Table2, Edit8);
}

QString TOSP_Form::fixed(double value) const {
    return QString::fromStdString(formats::formatFixed(value, 2, 11, m_numbers));
}

} // namespace marlovex::tracker

// The what-if calculator of the "Rechner" tab: estimated warrant and underlying prices converted
// into each other through the day's ratio, differences to the current and purchase prices, the
// invested sum and the profit or loss with or without fees.
#include "tracker/chart/tracker_chart.h"
#include "tracker/model/calculator.h"
#include "tracker/window/price_colours.h"
#include "tracker/window/tosp_form.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <exception>
#include <functional>

namespace marlovex::tracker {
namespace {

QColor colourOf(const QLabel* label) {
    // A negative value, or an exponent form such as 1,2E-5, shows red.
    return label->text().contains(QLatin1Char('-')) ? lossRed : plainBlack;
}

void colourByText(QLabel* label) {
    setTextColour(label, colourOf(label));
}

} // namespace

FeeSettings TOSP_Form::feeSettings() const {
    return {.brokerPerMille = MaklerFee, .bankPercent = BankFee, .clearingPerTrade = ClearingFee};
}

double TOSP_Form::lastPrice(paradox::Table& quotes) {
    quotes.last();
    return quotes.field("Kurs").asFloat();
}

void TOSP_Form::convertEstimate(QObject* sender, const std::function<void(const CurrentQuotes&)>& write) {
    if (!CalcEnabled) {
        return;
    }
    // Held off while the conversion writes the other input, so that it does not convert back.
    CalcEnabled = false;
    try {
        const double warrant = lastPrice(tables.Table1);
        const double underlying = lastPrice(tables.Table2);
        write({.warrant = warrant, .underlying = underlying, .ratio = OSBasisRatio});
    } catch (const std::exception&) {
        // An estimate that is no number converts nothing; the next tick repairs it.
        CalcEnabled = true;
        return;
    }
    CalcEnabled = true;
    Edit3Change(sender);
}

void TOSP_Form::Edit1Change(QObject* sender) {
    convertEstimate(sender, [this](const CurrentQuotes& quotes) {
        // Tested before the estimate is read: a flat underlying writes "0,00" even for an
        // estimate that is no number.
        if (quotes.ratio == 0) {
            Edit2->setText(QStringLiteral("0,00"));
            return;
        }
        Edit2->setText(fixed(*underlyingForWarrant(quotes, valueOf(Edit1), CheckBox1->isChecked())));
    });
}

void TOSP_Form::Edit2Change(QObject* sender) {
    convertEstimate(sender, [this](const CurrentQuotes& quotes) {
        Edit1->setText(fixed(warrantForUnderlying(quotes, valueOf(Edit2), CheckBox1->isChecked())));
    });
}

void TOSP_Form::Edit3Change(QObject*) {
    const auto write = [](QLabel* label, const QString& text) {
        label->setText(text);
        colourByText(label);
    };
    const auto percent = [this](double value) { return grouped(value, 2) + QLatin1Char('%'); };
    // An estimate against a price; a price of 0 leaves the label as it was, an estimate that is
    // no number shows "0 %".
    const auto percentOf = [&](QLabel* label, const QLineEdit* estimate, double base) {
        if (base != 0) {
            try {
                label->setText(percent(*percentAgainst(valueOf(estimate), base)));
            } catch (const std::exception&) {
                label->setText(QStringLiteral("0 %"));
            }
        }
        colourByText(label);
    };
    try {
        const double warrant = lastPrice(tables.Table1);
        if (const std::optional<double> change = percentAgainst(valueOf(Edit1), warrant)) {
            Label26->setText(percent(*change));
        }
        colourByText(Label26);
        write(Label62, grouped(valueOf(Edit1) - warrant, 2));

        const double underlying = lastPrice(tables.Table2);
        percentOf(Label30, Edit2, underlying);
        write(Label61, grouped(valueOf(Edit2) - underlying, 1));

        const double purchase = valueOf(Edit3);
        percentOf(Label45, Edit1, purchase);
        write(Label60, grouped(valueOf(Edit1) - purchase, 2));
        write(Label63, grouped(valueOf(Edit1) - purchase, 2));

        const double underlyingPurchase = valueOf(Edit8);
        percentOf(Label32, Edit2, underlyingPurchase);
        write(Label58, grouped(valueOf(Edit2) - underlyingPurchase, 1));
        write(Label12, grouped(valueOf(Edit2) - underlyingPurchase, 1));

        // Both prices were read above; only a quantity that is no number is left to fail.
        double quantity = 0;
        try {
            quantity = valueOf(Edit9);
        } catch (const std::exception&) {
            write(Label66, QStringLiteral("0,00"));
            throw;
        }
        const EstimatedSale sale = saleAt(
            feeSettings(), {.purchase = purchase, .quantity = quantity, .chargeFees = CheckBox4->isChecked()},
            valueOf(Edit1));
        write(Label66, grouped(sale.invested, 2));
        Label57->setText(grouped(sale.profit, 2));
        write(Label64, Label57->text());
        setTextColour(Label57, colourOf(Label64));
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

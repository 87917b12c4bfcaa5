// The warrant's quote list as the grid shows it (DataSource1): one row per quote of Table1 with
// its stored and calculated columns, taken while the live update scans the table. The grid never
// moves the table's cursor itself; it shows the rows of the last scan.
//
// Not thread-safe: user-interface thread only.
#pragma once

#include "platform/formats/date_time.h"
#include "platform/formats/number_format.h"

#include <QAbstractTableModel>
#include <optional>
#include <vector>

namespace marlovex::paradox {
class Table;
}

namespace marlovex::tracker {

struct QuoteRow {
    formats::DateTime time = 0;
    double quote = 0;
    std::optional<double> kursDiff;
    std::optional<double> basisWert;
    std::optional<double> basisDiff;
    std::optional<double> delta;
};

// The position of a field of the view; a missing field raises the view's own error.
std::size_t fieldIndex(paradox::Table& table, const char* name);

// Reads rows of a view over Intraday.db with the calculated columns of the quote list. The
// fields are looked up once, so that reading every row of a scan costs no name lookups.
class QuoteRowReader {
public:
    explicit QuoteRowReader(paradox::Table& table);
    QuoteRow read() const;

private:
    paradox::Table& m_table;
    std::size_t m_zeit;
    std::size_t m_kurs;
    std::size_t m_kursDiff;
    std::size_t m_basisWert;
    std::size_t m_basisDiff;
    std::size_t m_delta;
};

class QuoteListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit QuoteListModel(QObject* parent = nullptr);

    void setRows(std::vector<QuoteRow> rows);
    const std::vector<QuoteRow>& rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString cellText(const QuoteRow& row, int column) const;

    std::vector<QuoteRow> m_rows;
    formats::NumberLocale m_locale;
};

} // namespace marlovex::tracker

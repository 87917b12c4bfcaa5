// The warrant's quote list as the grid shows it (DataSource1): one row per quote of Table1 with
// its stored and calculated columns, as the live update's scan computed them. The grid never
// moves the table's cursor itself; it shows the rows of the last scan.
//
// Not thread-safe: user-interface thread only.
#pragma once

#include "platform/formats/number_format.h"
#include "tracker/model/quote_scan.h"

#include <QAbstractTableModel>
#include <vector>

namespace marlovex::tracker {

class QuoteListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit QuoteListModel(QObject* parent = nullptr);

    // Shows `rows`; `update` tells which of them changed since the rows shown before, so that
    // the grid redraws those and takes the new ones without starting over.
    void show(const std::vector<QuoteRow>& rows, const ScanUpdate& update);
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

#include "tracker/live/quote_list_model.h"

#include "tracker/window/tosp_form.h"
#include "ui/locale_formats.h"

namespace marlovex::tracker {
namespace {

enum Column { ZeitColumn, KursColumn, KursDiffColumn, BasisWertColumn, BasisDiffColumn, DeltaColumn };

// The differences show three significant digits, every other number its shortest form.
constexpr int differencePrecision = 3;

} // namespace

QuoteListModel::QuoteListModel(QObject* parent)
    : QAbstractTableModel(parent)
    , m_locale(ui::numberLocale()) {}

void QuoteListModel::show(const std::vector<QuoteRow>& rows, const ScanUpdate& update) {
    const bool follows = !update.rebuilt && update.firstAdded == m_rows.size() &&
                         update.firstChanged <= update.firstAdded && rows.size() >= update.firstAdded;
    if (!follows) {
        beginResetModel();
        reserveForTheDay(m_rows, rows.size());
        m_rows.assign(rows.begin(), rows.end());
        endResetModel();
        return;
    }
    const auto at = [](std::size_t row) { return static_cast<std::ptrdiff_t>(row); };
    if (update.firstChanged < update.firstAdded) {
        std::copy(rows.begin() + at(update.firstChanged), rows.begin() + at(update.firstAdded),
                  m_rows.begin() + at(update.firstChanged));
        emit dataChanged(index(static_cast<int>(update.firstChanged), 0),
                         index(static_cast<int>(update.firstAdded) - 1, columnCount() - 1));
    }
    if (rows.size() > update.firstAdded) {
        beginInsertRows({}, static_cast<int>(update.firstAdded), static_cast<int>(rows.size()) - 1);
        m_rows.insert(m_rows.end(), rows.begin() + at(update.firstAdded), rows.end());
        endInsertRows();
    }
}

int QuoteListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int QuoteListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(quoteListColumns.size());
}

QString QuoteListModel::cellText(const QuoteRow& row, int column) const {
    const auto general = [this](const std::optional<double>& value, int precision) {
        return value ? QString::fromStdString(formats::formatGeneral(*value, precision, m_locale))
                     : QString();
    };
    switch (column) {
    case ZeitColumn:
        return QString::fromStdString(formats::formatDateTime(row.time, "hh:mm:ss"));
    case KursColumn:
        return general(row.quote, 15);
    case KursDiffColumn:
        return general(row.kursDiff, differencePrecision);
    case BasisWertColumn:
        return general(row.basisWert, 15);
    case BasisDiffColumn:
        return general(row.basisDiff, differencePrecision);
    case DeltaColumn:
        return general(row.delta, 15);
    default:
        return {};
    }
}

QVariant QuoteListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return cellText(m_rows[static_cast<std::size_t>(index.row())], index.column());
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(index.column() == ZeitColumn ? Qt::AlignLeft | Qt::AlignVCenter
                                                                : Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

QVariant QuoteListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columnCount()) {
        return QString::fromUtf8(quoteListColumns[static_cast<std::size_t>(section)].title);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace marlovex::tracker

#include "tracker/live/quote_list_model.h"

#include "platform/paradox/table.h"
#include "tracker/window/tosp_form.h"
#include "ui/locale_formats.h"

namespace marlovex::tracker {
namespace {

enum Column { ZeitColumn, KursColumn, KursDiffColumn, BasisWertColumn, BasisDiffColumn, DeltaColumn };

// The differences show three significant digits, every other number its shortest form.
constexpr int differencePrecision = 3;

std::optional<double> optionalFloat(paradox::Table& table, std::size_t index) {
    paradox::FieldRef field = table.field(index);
    return field.isNull() ? std::nullopt : std::optional<double>(field.asFloat());
}

} // namespace

std::size_t fieldIndex(paradox::Table& table, const char* name) {
    if (const std::optional<std::size_t> index = table.findField(name)) {
        return *index;
    }
    // Lets the view report the missing field with its own message.
    table.field(name);
    return 0;
}

QuoteListModel::QuoteListModel(QObject* parent)
    : QAbstractTableModel(parent)
    , m_locale(ui::numberLocale()) {}

QuoteRowReader::QuoteRowReader(paradox::Table& table)
    : m_table(table)
    , m_zeit(fieldIndex(table, "ZEIT"))
    , m_kurs(fieldIndex(table, "Kurs"))
    , m_kursDiff(fieldIndex(table, "Kurs-Diff"))
    , m_basisWert(fieldIndex(table, "Basis-Wert"))
    , m_basisDiff(fieldIndex(table, "Basis-Diff"))
    , m_delta(fieldIndex(table, "Delta")) {}

QuoteRow QuoteRowReader::read() const {
    QuoteRow row;
    row.time = m_table.field(m_zeit).asDateTime();
    row.quote = m_table.field(m_kurs).asFloat();
    row.kursDiff = optionalFloat(m_table, m_kursDiff);
    row.basisWert = optionalFloat(m_table, m_basisWert);
    row.basisDiff = optionalFloat(m_table, m_basisDiff);
    row.delta = optionalFloat(m_table, m_delta);
    return row;
}

void QuoteListModel::setRows(std::vector<QuoteRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
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

// Carrying the latest intraday quote of every instrument into the daily history tables: the
// day's price into Aktien.db, the day's volume into Volumen.db, one record per instrument and day.
#include "tracker/window/tosp_form.h"
#include "ui/dialogs.h"

#include <QApplication>
#include <QLabel>
#include <QStringList>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>

namespace marlovex::tracker {
namespace {

// Shows the busy cursor for as long as it lives.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// The press's own views, apart from the window's: the instrument list and, following its
// current row, that instrument's intraday quotes, daily prices and daily volumes. They close
// with the object.
struct DailyViews {
    explicit DailyViews(const std::string& directory) {
        for (paradox::Table* view : {&instruments, &quotes, &prices, &volumes}) {
            view->setDatabaseName(directory);
            view->setTableType(paradox::TableType::Paradox);
        }
        instruments.setTableName("Firma.db");
        quotes.setTableName("Intraday.db");
        prices.setTableName("Aktien.db");
        volumes.setTableName("Volumen.db");
        for (paradox::Table* detail : {&quotes, &prices, &volumes}) {
            detail->setMasterSource(&instruments, "Firma");
        }
        instruments.open();
        quotes.open();
        prices.open();
        volumes.open();
    }

    paradox::Table instruments;
    paradox::Table quotes;
    paradox::Table prices;
    paradox::Table volumes;
};

// An instrument's last intraday quote, reduced to what the daily tables keep.
struct LatestQuote {
    double day = 0;
    double price = 0;
    std::int64_t volume = 0;
};

// Writes the instrument's record of `day`: in place when its last record is of that day, else as
// a new record.
void writeDay(paradox::Table& daily, bool sameDay, double day, const char* field,
              const paradox::Value& value) {
    if (sameDay) {
        daily.edit();
    } else {
        daily.append();
    }
    daily.field("Datum").setDateTime(day);
    daily.field(field).setValue(value);
    daily.post();
}

// Brings the instrument's daily price up to `latest`: a new record for a new day, the day's
// record corrected for a new price. `announce` runs before anything is written.
void recordPrice(paradox::Table& prices, const LatestQuote& latest, const std::function<void()>& announce) {
    prices.last();
    const bool sameDay = !prices.isEmpty() && prices.field("Datum").asDateTime() == latest.day;
    if (sameDay && prices.field("Kurs").asFloat() == latest.price) {
        return;
    }
    announce();
    writeDay(prices, sameDay, latest.day, "Kurs", latest.price);
}

// The same for the daily volume, kept only for instruments whose history already holds a
// traded volume: an index or a warrant has none and gets none.
void recordVolume(paradox::Table& volumes, const LatestQuote& latest) {
    volumes.last();
    const std::int64_t stored = volumes.field("Volumen").asInteger();
    if (stored <= 0) {
        return;
    }
    const bool sameDay = volumes.field("Datum").asDateTime() == latest.day;
    if (sameDay && stored == latest.volume) {
        return;
    }
    writeDay(volumes, sameDay, latest.day, "Volumen", latest.volume);
}

} // namespace

void TOSP_Form::EintragenClick() {
    const BusyCursor busy;
    DailyViews views(DatenPath);
    // Nothing yields to the event loop until the walk ends, so the label is painted by hand.
    const auto showProgress = [this](const QString& text) {
        Label65->setText(text);
        Label65->repaint();
    };
    showProgress(QStringLiteral("Übertrage die letzten Intraday-Kurse"));

    // Each instrument is guarded on its own; what failed is said once the walk is over.
    QStringList failed;
    QString firstReason;
    for (views.instruments.first(); !views.instruments.eof(); views.instruments.next()) {
        views.quotes.last();
        LatestQuote latest;
        latest.price = views.quotes.field("Kurs").asFloat();
        // An instrument without quotes reads as a price of 0 and is skipped alike.
        if (!(latest.price > 0)) {
            continue;
        }
        latest.day = formats::datePart(views.quotes.field("ZEIT").asDateTime());
        latest.volume = views.quotes.field("Volumen").asInteger();
        try {
            recordPrice(views.prices, latest, [&] {
                showProgress(QStringLiteral("Übertrage Kurse von ") +
                             QString::fromStdString(views.instruments.field("FirmenName").asString()));
            });
            recordVolume(views.volumes, latest);
        } catch (const std::exception& error) {
            // A locked table or a clashing key costs this instrument its day, not the walk.
            views.prices.cancel();
            views.volumes.cancel();
            failed << QString::fromStdString(views.instruments.field("FirmenName").asString());
            if (firstReason.isEmpty()) {
                firstReason = QString::fromUtf8(error.what());
            }
        }
    }
    if (!failed.isEmpty()) {
        reportUnrecordedInstruments(failed, firstReason);
    }
}

void TOSP_Form::reportUnrecordedInstruments(const QStringList& instruments, const QString& reason) {
    constexpr int namesShown = 10;
    QString names = instruments.mid(0, namesShown).join(QStringLiteral(", "));
    if (instruments.size() > namesShown) {
        names += QStringLiteral(" und %1 weitere").arg(instruments.size() - namesShown);
    }
    ui::dialogs().showMessage(
        this, QStringLiteral("Die Tageskurse von %1 wurden nicht eingetragen.\n\n%2").arg(names, reason));
}

} // namespace marlovex::tracker

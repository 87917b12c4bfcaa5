#include "market/market_tables.h"
#include "platform/paradox/table_storage.h"
#include "support/pxlib_table.h"
#include "tracker_window_fixture.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace marlovex::tracker {
namespace {

using testing_support::readWithPxlib;

formats::DateTime december(int day) {
    return formats::encodeDate(2026, 12, day);
}

std::string shortest(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// Records what Label65 shows whenever it is painted, and whether the busy cursor was up then.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QLabel* label)
        : m_label(label) {
        label->installEventFilter(this);
    }

    QStringList paintedWhileBusy;
    QStringList paintedWhileIdle;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_label && event->type() == QEvent::Paint) {
            const QCursor* cursor = QApplication::overrideCursor();
            const bool busy = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
            (busy ? paintedWhileBusy : paintedWhileIdle) << m_label->text();
        }
        return false;
    }

private:
    QLabel* m_label;
};

// A tracker window on the trading day of 4 December 2026 with empty daily tables beside it. The
// instruments are walked by number: the call (17), Bayer (575200), DAX (846900). The call's last
// quote is 1,60 at 09:06, the DAX's 20050 at 09:05, both without a volume; Bayer has no quote.
class DailyRecordingTest : public TrackerWindowTest {
protected:
    DailyRecordingTest() {
        market::createEmptyTable(m_day.directory(), market::dailyPriceTableLayout());
        market::createEmptyTable(m_day.directory(), market::dailyVolumeTableLayout());
        rememberCallOnDax();
        m_window = createWindow();
    }

    void addPrice(std::int64_t instrument, formats::DateTime day, double price) {
        addDaily("Aktien.db", "Kurs", instrument, day, price);
    }

    void addVolume(std::int64_t instrument, formats::DateTime day, std::int64_t volume) {
        addDaily("Volumen.db", "Volumen", instrument, day, volume);
    }

    void press() { m_window->Eintragen->click(); }

    // The records of Aktien.db as pxlib reads them: "Firma yyyy-mm-dd Kurs", in key order.
    std::vector<std::string> prices() const { return dailyRows("Aktien.db", "Kurs"); }
    // The records of Volumen.db likewise: "Firma yyyy-mm-dd Volumen".
    std::vector<std::string> volumes() const { return dailyRows("Volumen.db", "Volumen"); }

    std::filesystem::path pathOf(const std::string& table) const { return m_day.directory() / table; }

    // The table's commit counter: unchanged means that nothing was written.
    std::uint64_t commits(const std::string& table) const {
        paradox::TableStorage storage(pathOf(table));
        return storage.sequence();
    }

    std::unique_ptr<TOSP_Form> m_window;

private:
    void addDaily(const std::string& table, const char* valueField, std::int64_t instrument,
                  formats::DateTime day, const paradox::Value& value) {
        paradox::Table daily;
        m_day.open(daily, table);
        daily.append();
        daily.field("Firma").setInteger(instrument);
        daily.field("Datum").setDateTime(day);
        daily.field(valueField).setValue(value);
        daily.post();
    }

    std::vector<std::string> dailyRows(const std::string& table, const std::string& valueField) const {
        const auto read = readWithPxlib(pathOf(table));
        std::vector<std::string> rows;
        for (std::size_t row = 0; row < read.rows.size(); ++row) {
            const auto& date = read.at(row, "Datum");
            const auto& value = read.at(row, valueField);
            std::string text = std::to_string(read.at(row, "Firma").integer) + " ";
            text += date.null ? "-"
                              : formats::formatDateTime(paradox::dateToDateTime(date.integer), "yyyy-mm-dd");
            text += " ";
            if (value.null) {
                text += "-";
            } else if (valueField == "Volumen") {
                text += std::to_string(value.integer);
            } else {
                text += shortest(value.number);
            }
            rows.push_back(text);
        }
        return rows;
    }
};

using Rows = std::vector<std::string>;

TEST_F(DailyRecordingTest, EachDayIsRecordedOnceWithItsProgressPaintedAndLaterQuotesUpdateItsRecord) {
    addPrice(daxNumber, december(3), 19900);
    addVolume(daxNumber, december(3), 800000);
    m_day.addQuote(daxNumber, 9, 10, 0, 20100.0, 950000);
    const std::string selectedWarrant = m_window->tables.Table3.field("FirmenName").asString();
    // The window's first paint is behind it, so every later paint comes from the press.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    QCoreApplication::processEvents();
    PaintRecorder recorder(m_window->Label65);

    press();
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join("|").toStdString();
    EXPECT_EQ(m_window->Label65->text(), "Übertrage Kurse von DAX");
    // Progress is painted at once, under the busy cursor.
    EXPECT_EQ(recorder.paintedWhileBusy,
              (QStringList{"Übertrage die letzten Intraday-Kurse", "Übertrage Kurse von DAX Call 20000",
                           "Übertrage Kurse von DAX"}));
    EXPECT_TRUE(recorder.paintedWhileIdle.isEmpty()) << recorder.paintedWhileIdle.join("|").toStdString();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The walk runs on views of its own: the window still follows its warrant.
    EXPECT_EQ(m_window->tables.Table3.field("FirmenName").asString(), selectedWarrant);
    EXPECT_EQ(prices(), (Rows{"17 2026-12-04 1.6", "846900 2026-12-03 19900", "846900 2026-12-04 20100"}));
    // The call has no volume history, so it gets no volume record.
    EXPECT_EQ(volumes(), (Rows{"846900 2026-12-03 800000", "846900 2026-12-04 950000"}));

    // Nothing new: nothing is written, so no instrument is announced either.
    const std::uint64_t priceCommits = commits("Aktien.db");
    const std::uint64_t volumeCommits = commits("Volumen.db");
    press();
    EXPECT_EQ(m_window->Label65->text(), "Übertrage die letzten Intraday-Kurse");
    EXPECT_EQ(commits("Aktien.db"), priceCommits);
    EXPECT_EQ(commits("Volumen.db"), volumeCommits);

    m_day.addQuote(daxNumber, 9, 20, 0, 20150.5, 1200000);
    press();
    EXPECT_EQ(m_window->Label65->text(), "Übertrage Kurse von DAX");
    EXPECT_EQ(prices(), (Rows{"17 2026-12-04 1.6", "846900 2026-12-03 19900", "846900 2026-12-04 20150.5"}));
    EXPECT_EQ(volumes(), (Rows{"846900 2026-12-03 800000", "846900 2026-12-04 1200000"}));

    // A new volume at an unchanged price updates the volume alone, without a progress text.
    m_day.addQuote(daxNumber, 9, 30, 0, 20150.5, 1300000);
    press();
    EXPECT_EQ(m_window->Label65->text(), "Übertrage die letzten Intraday-Kurse");
    EXPECT_EQ(prices(), (Rows{"17 2026-12-04 1.6", "846900 2026-12-03 19900", "846900 2026-12-04 20150.5"}));
    EXPECT_EQ(volumes(), (Rows{"846900 2026-12-03 800000", "846900 2026-12-04 1300000"}));
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join("|").toStdString();
}

TEST_F(DailyRecordingTest, ZeroPricesAndInstrumentsWithoutTradedVolumeAreLeftOut) {
    // A zero price skips the instrument entirely, its volume included.
    m_day.addQuote(warrantNumber, 9, 10, 0, 0.0, 1200);
    addVolume(warrantNumber, december(3), 100);
    m_day.addQuote(bayerNumber, 10, 0, 0, 45.2, 30000);
    m_day.addQuote(daxNumber, 9, 10, 0, 20100.0, 950000);
    // The DAX's latest daily volume is 0: an earlier positive one does not count.
    addVolume(daxNumber, december(2), 500000);
    addVolume(daxNumber, december(3), 0);

    press();
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join("|").toStdString();
    EXPECT_EQ(prices(), (Rows{"575200 2026-12-04 45.2", "846900 2026-12-04 20100"}));
    EXPECT_EQ(volumes(), (Rows{"17 2026-12-03 100", "846900 2026-12-02 500000", "846900 2026-12-03 0"}));
}

TEST_F(DailyRecordingTest, AClashingKeyCostsOnlyThatInstrumentItsDay) {
    // The call's latest record is of the 5th, so its quote of the 4th is appended and clashes
    // with the record already there; its volume is not attempted after that.
    addPrice(warrantNumber, december(4), 1.2);
    addPrice(warrantNumber, december(5), 1.4);
    addVolume(warrantNumber, december(3), 100);
    // Bayer's price goes in; its volume clashes in the same way.
    m_day.addQuote(bayerNumber, 10, 0, 0, 45.2, 30000);
    addVolume(bayerNumber, december(4), 10000);
    addVolume(bayerNumber, december(5), 20000);
    // The DAX, walked last, is recorded in full: its quote is older than its latest records, of
    // the 5th, but has no record of its day to clash with.
    addPrice(daxNumber, december(5), 20500);
    addVolume(daxNumber, december(5), 700000);
    m_day.addQuote(daxNumber, 9, 10, 0, 20100.0, 950000);

    press();
    // One message at the end names both instruments that missed their day.
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_TRUE(m_dialogs.messages[0].startsWith(
        "Die Tageskurse von DAX Call 20000, Bayer wurden nicht eingetragen."))
        << m_dialogs.messages[0].toStdString();
    EXPECT_TRUE(m_dialogs.messages[0].contains("Schlüssel")) << m_dialogs.messages[0].toStdString();
    EXPECT_EQ(m_window->Label65->text(), "Übertrage Kurse von DAX");
    EXPECT_EQ(prices(), (Rows{"17 2026-12-04 1.2", "17 2026-12-05 1.4", "575200 2026-12-04 45.2",
                              "846900 2026-12-04 20100", "846900 2026-12-05 20500"}));
    EXPECT_EQ(volumes(), (Rows{"17 2026-12-03 100", "575200 2026-12-04 10000", "575200 2026-12-05 20000",
                               "846900 2026-12-04 950000", "846900 2026-12-05 700000"}));
}

TEST_F(DailyRecordingTest, TablesLockedByAnotherWriterAreLeftAloneAndTheMissedDaysReported) {
    m_day.addQuote(bayerNumber, 10, 0, 0, 45.2, 30000);
    addVolume(bayerNumber, december(3), 25000);
    m_day.addQuote(daxNumber, 9, 10, 0, 20100.0, 950000);
    addVolume(daxNumber, december(3), 800000);
    {
        paradox::TableStorage other(pathOf("Volumen.db"));
        const paradox::TableStorage::WriteLock lock(other);
        press();
    }
    EXPECT_EQ(prices(), (Rows{"17 2026-12-04 1.6", "575200 2026-12-04 45.2", "846900 2026-12-04 20100"}));
    EXPECT_EQ(volumes(), (Rows{"575200 2026-12-03 25000", "846900 2026-12-03 800000"}));
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_TRUE(m_dialogs.messages[0].startsWith("Die Tageskurse von Bayer, DAX wurden nicht eingetragen."))
        << m_dialogs.messages[0].toStdString();
    EXPECT_TRUE(m_dialogs.messages[0].contains("Volumen.db")) << m_dialogs.messages[0].toStdString();
    m_dialogs.messages.clear();

    // A price that cannot be written holds back the instrument's volume too, while Bayer, whose
    // price stands, gets its volume.
    m_day.addQuote(daxNumber, 9, 20, 0, 20200.0, 1000000);
    {
        paradox::TableStorage other(pathOf("Aktien.db"));
        const paradox::TableStorage::WriteLock lock(other);
        press();
    }
    EXPECT_EQ(prices(), (Rows{"17 2026-12-04 1.6", "575200 2026-12-04 45.2", "846900 2026-12-04 20100"}));
    EXPECT_EQ(volumes(),
              (Rows{"575200 2026-12-03 25000", "575200 2026-12-04 30000", "846900 2026-12-03 800000"}));
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_TRUE(m_dialogs.messages[0].startsWith("Die Tageskurse von DAX wurden nicht eingetragen."))
        << m_dialogs.messages[0].toStdString();
    EXPECT_TRUE(m_dialogs.messages[0].contains("Aktien.db")) << m_dialogs.messages[0].toStdString();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Nothing was left pending: with the locks gone the next press catches up, without a word.
    m_dialogs.messages.clear();
    press();
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join("|").toStdString();
    EXPECT_EQ(prices(), (Rows{"17 2026-12-04 1.6", "575200 2026-12-04 45.2", "846900 2026-12-04 20200"}));
    EXPECT_EQ(volumes(), (Rows{"575200 2026-12-03 25000", "575200 2026-12-04 30000",
                               "846900 2026-12-03 800000", "846900 2026-12-04 1000000"}));
}

TEST_F(DailyRecordingTest, AMissingPriceTableEndsWithTheErrorAndTheNormalCursor) {
    for (const auto& entry : std::filesystem::directory_iterator(m_day.directory())) {
        if (entry.path().stem() == "Aktien") {
            std::filesystem::remove(entry.path());
        }
    }
    ASSERT_FALSE(std::filesystem::exists(pathOf("Aktien.db")));
    m_day.addQuote(daxNumber, 9, 10, 0, 20100.0, 950000);
    addVolume(daxNumber, december(3), 800000);
    m_window->Label65->clear();

    press();
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_TRUE(m_dialogs.messages.front().contains("Aktien", Qt::CaseInsensitive))
        << m_dialogs.messages.front().toStdString();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(m_window->Label65->text(), "");
    EXPECT_EQ(volumes(), (Rows{"846900 2026-12-03 800000"}));
}

} // namespace
} // namespace marlovex::tracker

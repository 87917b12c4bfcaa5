// The warrant tracker window: one warrant ("Optionsschein", OS) paired with its underlying. This
// header declares the window's controls under their classic names (Edit3, Label57, ...), so that
// the handlers, the frame's layout files and the tests can reach every one of them; each also
// carries its name as its Qt objectName. The controls are built in tracker_layout.cpp.
//
// Not thread-safe: user-interface thread only.
#pragma once

#include "platform/registry/registry.h"
#include "tracker/exports/messenger_record.h"
#include "tracker/live/import_status.h"
#include "tracker/live/live_quotes.h"
#include "tracker/live/quote_tables.h"
#include "tracker/live/watched_program.h"
#include "tracker/model/calculator.h"
#include "tracker/model/level_crossing.h"
#include "tracker/model/level_trailing.h"
#include "tracker/window/tracker_state.h"
#include "ui/mdi_child_form.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

class QAction;
class QCPGraph;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QTableView;
class QTimer;
class QToolButton;

namespace marlovex::companion {
class THttpGetForm;
}

namespace marlovex::tracker {

class CrossingNotifier;
struct CrossingNotice;
class DateTimePicker;
class QuoteListModel;
class RecordNavigator;
class TrackerChart;

// One column of the quote list: the table field it shows, its title and its width when no
// setting says otherwise.
struct QuoteListColumn {
    const char* field;
    const char* title;
    int defaultWidth;
};

inline constexpr std::array<QuoteListColumn, 6> quoteListColumns{{
    {"ZEIT", "Zeit", 61},
    {"Kurs", "Geldkurs", 76},
    {"Kurs-Diff", "Kurs-Diff", 55},
    {"Basis-Wert", "Basiskurs", 71},
    {"Basis-Diff", "Basis-Diff", 52},
    {"Delta", "Delta", 40},
}};

// Where a tracker window finds its surroundings. The program takes them from the process; tests
// point them at temporary directories and record the programs the window starts.
struct TrackerEnvironment {
    std::filesystem::path registryFile;
    // Directory of the program file; AppDir is derived from it.
    std::string programDir;
    // Starts a program without waiting for it; `finished` reports how it ended (see
    // startWatchedProgram). A program still running when `owner` goes is stopped.
    std::function<void(QObject* owner, const std::string& program, const std::vector<std::string>& arguments,
                       ProgramFinished finished)>
        startProgram;
    // The local date and time.
    std::function<formats::DateTime()> now;

    static TrackerEnvironment ofProcess();
};

class TOSP_Form : public ui::MdiChildForm {
    Q_OBJECT

public:
    // Builds the controls, then runs FormCreate.
    explicit TOSP_Form(TrackerEnvironment environment, QWidget* parent = nullptr);
    ~TOSP_Form() override;

    // Gives the columns of the model bound to DBGrid1 their default widths.
    void applyDefaultColumnWidths();

    // Chooses the named instruments ("Leer" for none) and starts the live update, as a new
    // window of the frame does.
    void openPair(const QString& warrant, const QString& underlying);
    // The window's state for a layout file or the workspace, and restoring it; the instruments
    // are chosen by openPair beforehand.
    TrackerState capture() const;
    void apply(const TrackerState& state);

    // Lifecycle.
    void FormCreate();
    // Applies the stored settings; runs when the window is shown for the first time.
    void FormShow();
    // Names, in one message, the settings that could not be read and were left at their default.
    void reportSettingProblems(const QStringList& problems);
    void FormResize();
    void MDIClose(ui::CloseAction& action);
    void DiagrammEigenschaften1Click();

    // Instrument selection: through the picker, or by the names on the two buttons.
    void Button1Click();
    void Button2Click();
    void Button1aender(QObject* sender);
    void Button2aender(QObject* sender);

    // Quote import.
    void SpeedButton3Click(QObject* sender);
    void SpeedButton4Click(QObject* sender);
    void Laden(QObject* sender);

    // Live update.
    void SpeedButton1Click(QObject* sender);
    void Timer1Timer();
    void Timer2Timer();
    bool isRunning() const;

    // Calculator.
    void Edit1Change(QObject* sender);
    void Edit2Change(QObject* sender);
    void Edit3Change(QObject* sender);
    void CheckBox4Click();
    // The repair that a tick skipped while the user typed in `input`.
    void repairCalculatorInputAfterEditing(QLineEdit* input);
    void Label23DblClick();
    void Label24DblClick();
    void Label25DblClick();
    void Label31DblClick();

    // Alarm levels.
    void Label39Click();
    void Label40Click();
    void Edit6Change();
    void Edit4Change();
    void ChartTool3EndDragLine(double value);

    // Daily recording of every instrument's latest quote into Aktien.db and Volumen.db.
    void EintragenClick();
    // Names the instruments whose day could not be recorded, and the first reason.
    void reportUnrecordedInstruments(const QStringList& instruments, const QString& reason);

    // Hand-over to the price messenger and entries in the intraday analysis table.
    void KursinMessagereintragen1Click(QObject* sender);
    void SpeedButton5Click(QObject* sender);
    void SpeedButton6Click(QObject* sender);
    void Analyseeintragen1Click(QObject* sender);
    void AnalyseGewinnEintragen1Click(QObject* sender);

    void CheckBox1Click();
    void CheckBox3Click();
    void OSAchseinvertiert1Click();

    // Reads the warrant's quotes once more into the list and the chart.
    void refreshQuoteViews();

    // The table views, calculated columns, statistics and record filters.
    QuoteTables tables;
    // The list's rows, the chart's quotes and their extremes, as the last scan left them.
    LiveQuotes liveQuotes;
    QuoteListModel* DataSource1 = nullptr;

    // Directories and settings resolved at creation.
    std::string AppDir;
    std::string DatenPath;
    std::string TempPath;
    std::string MsgDatei;
    std::string MsgPath;
    bool StartKursEintragen = true;
    double BankFee = 0;
    double MaklerFee = 0;
    double ClearingFee = 0;
    bool CalcEnabled = false;
    // Warrant points per underlying point over the day, 0 for a flat underlying.
    double OSBasisRatio = 0;

    // Button bar.
    QFrame* Panel1 = nullptr;
    QToolButton* SpeedButton1 = nullptr; // stop the live update (shown while it runs)
    QToolButton* SpeedButton2 = nullptr; // start the live update
    QToolButton* SpeedButton3 = nullptr; // warrant import switch
    QToolButton* SpeedButton4 = nullptr; // underlying import switch
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

    // Header of the latest prices.
    QFrame* Panel2 = nullptr;
    QFrame* Panel3 = nullptr;
    QFrame* Panel4 = nullptr;
    QFrame* Panel6 = nullptr;
    QFrame* Panel7 = nullptr;
    QFrame* Panel8 = nullptr;
    QLabel* Panel9 = nullptr; // the profit panel shows its value as its own caption
    QLabel* Label41 = nullptr;
    QLabel* Label42 = nullptr;
    QLabel* Label43 = nullptr;
    QLabel* Label44 = nullptr;
    QLabel* Label46 = nullptr;
    QLabel* Label47 = nullptr;
    QLabel* Label48 = nullptr;
    QLabel* Label49 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QCheckBox* CheckBox2 = nullptr;

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QWidget* TabSheet4 = nullptr;
    QWidget* TabSheet5 = nullptr;

    // "Werteliste".
    QTableView* DBGrid1 = nullptr;
    QFrame* Panel5 = nullptr;
    DateTimePicker* DateTimePicker1 = nullptr;
    DateTimePicker* DateTimePicker2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QCheckBox* Turbo = nullptr;
    QPushButton* Eintragen = nullptr;
    QLabel* Label65 = nullptr;
    RecordNavigator* DBNavigator1 = nullptr;

    // "Diagramm".
    TrackerChart* DBChart1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* DiagrammEigenschaften1 = nullptr;
    QAction* OSAchseinvertiert1 = nullptr;

    // "Rechner".
    QLabel* Label23 = nullptr;
    QLabel* Label24 = nullptr;
    QLabel* Label25 = nullptr;
    QLabel* Label31 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit8 = nullptr;
    QLabel* Label26 = nullptr;
    QLabel* Label62 = nullptr;
    QLabel* Label30 = nullptr;
    QLabel* Label61 = nullptr;
    QLabel* Label45 = nullptr;
    QLabel* Label63 = nullptr;
    QLabel* Label32 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label55 = nullptr;
    QLineEdit* Edit9 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QToolButton* SpeedButton6 = nullptr;
    QLabel* Label60 = nullptr;
    QLabel* Label64 = nullptr;
    QLabel* Label58 = nullptr;
    QLabel* Label66 = nullptr;
    QLabel* Label57 = nullptr;
    QCheckBox* CheckBox6 = nullptr;
    QLabel* Label54 = nullptr;
    QLabel* Label68 = nullptr;
    QLabel* Label69 = nullptr;
    QLabel* Label70 = nullptr;
    QLabel* Label71 = nullptr;
    QLabel* Label72 = nullptr;
    QLabel* Label73 = nullptr;
    QLabel* Label74 = nullptr;

    // "Alarm".
    QLabel* Label39 = nullptr;
    QLabel* Label40 = nullptr;
    QLabel* Label35 = nullptr;
    QLabel* Label36 = nullptr;
    QLabel* Label34 = nullptr;
    QLabel* Label33 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLabel* Label75 = nullptr;
    QLabel* Label78 = nullptr;
    QToolButton* SpeedButton11 = nullptr;
    QToolButton* SpeedButton5 = nullptr;
    QLineEdit* Edit10 = nullptr;
    QLineEdit* Edit11 = nullptr;
    QCheckBox* CheckBox7 = nullptr;
    QCheckBox* CheckBox5 = nullptr;

    // "Statistik".
    QLabel* Label13 = nullptr;
    QLabel* Label14 = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* Label52 = nullptr;
    QLabel* Label53 = nullptr;
    QLabel* Label18 = nullptr;
    QLabel* Label21 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;

    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void connectHandlers();
    bool pickInstrument(paradox::Table& instruments, QPushButton* button);
    // The views of the warrant (or underlying) start over on the instrument its view of
    // Firma.db now stands on: statistics, level watch and quotes.
    void followChosenWarrant();
    void followChosenUnderlying();
    void updateWindowTitle();
    void startImport(paradox::Table& instrument);
    void showImportStatus();
    // The newest quote's time in red when the running import has not brought a quote for three
    // ticks.
    void markStaleQuote(QLabel* timeLabel, formats::DateTime quoteTime, bool importing);
    enum class StatisticsReset { BeforeScan, Keep };
    enum class ScanScope { NewQuotes, Whole };
    // Brings the list, the statistics and the views' cursors up to the quotes stored now; the
    // live update's tick computes only what new quotes add or change.
    ScanUpdate scanWarrantQuotes(StatisticsReset reset, ScanScope scope);
    // Shows the scan's quotes in the chart, appending what `update` adds; rescales and redraws
    // only when anything changed.
    void refreshChart(const ScanUpdate& update);
    void moveQuoteCursor(void (paradox::Table::*move)());

    // The steps of a tick.
    int tickInterval() const;
    // The work of one tick; Timer1Timer stops and re-arms the timer around it.
    void runTick();
    // The start button in place of the stop button.
    void showStopped();
    void takeFilterStartTimes();
    void applyTimeWindow();
    // Gives the calculator's inputs that are no number a number again; skips the one being
    // typed in.
    void repairCalculatorInputs();
    void repairCalculatorInput(QLineEdit* input);
    // What an input that is no number is repaired to: the latest price it stands for.
    QString calculatorInputFallback(const QLineEdit* input);
    void writeExtremes();
    void writeRanges();
    double writeUnderlyingHeader();
    void colourUnderlyingPrice(double price);
    // Colours a price label for the side of a level it lies on and remembers the side for the
    // tick's crossing notice.
    void showLevelSide(QLabel* priceLabel, LevelWatch& watch, LevelSide side, double price, double level);
    double writeWarrantHeader();
    // The header's difference to a purchase price in points and percent.
    void writeChange(const PriceChange& change, QLabel* points, QLabel* percent);
    // Writes the profit panel and gives the break-even price for the chart's line: nothing while
    // the purchase or quantity is being typed or the quantity is 0.
    std::optional<double> writeProfitPanel(double price);
    // Trails a row's levels as its "Limit Anpassen:" input says: a percentage from the day's
    // `extremes`, points from the range of the quotes `series` shows.
    void trailLimits(const QLineEdit* adjustment, QLineEdit* falling, QLineEdit* rising,
                     const PriceRange& shown, const PriceRange& extremes);
    void trailLimitsAndPlaceLines(double warrantPrice, std::optional<double> breakEven);
    // Tells the user, in one notice, of the levels the tick's colouring shows newly crossed.
    void announceCrossings();
    // The notice line of one crossing of `instrument`'s levels, or nothing.
    std::optional<CrossingNotice> noticeOf(LevelWatch& watch, paradox::Table& instrument);

    // Runs one estimate conversion: `write` gets the latest prices and the ratio and writes the
    // other input; the recalculation follows.
    void convertEstimate(QObject* sender, const std::function<void(const CurrentQuotes&)>& write);
    FeeSettings feeSettings() const;
    // The latest quote of a quote view (0 for none); the view stands on it afterwards.
    double lastPrice(paradox::Table& quotes);
    void takePriceOver(paradox::Table& quotes, QLineEdit* input);
    // A level as the hand-overs write it: the level's value, or the price a label shows times
    // `factor` when the level is empty. Throws when the text read is no number.
    double levelOr(const QLineEdit* level, const QLabel* price, double factor) const;
    // Opens Analyse.db in TempPath; false, and nothing opened, when the file does not exist.
    bool openAnalysisTable(paradox::Table& analysis) const;
    // Moves to the row of `instrument`'s current record, appending it first when it is missing.
    void enterAnalysisRow(paradox::Table& analysis, paradox::Table& instrument, paradox::Table& quotes);
    // The break-even price of the position at the current warrant quote; throws for a quantity
    // of 0 and inputs that are no numbers.
    double breakEvenPrice();
    void openMessageTable(paradox::Table& messages) const;
    // What a hand-over tells the messenger, read in the order the window's fields are filled;
    // `firstPrice` moves the instrument's quotes to their first one and reads its price.
    messenger::HandOver handOverOf(paradox::Table& instrument, const QLabel* price, const QLineEdit* falling,
                                   const QLineEdit* rising, const std::function<double()>& firstPrice);
    // Falling and rising level 10 % below and above the price a label shows.
    void proposeLevels(const QLabel* lastPrice, QLineEdit* falling, QLineEdit* rising);
    void showBandWidth(const QLineEdit* falling, const QLineEdit* rising, QLabel* width);

    // Numbers in the user's locale: read from an input, written in the tick's forms.
    QString fixed(double value) const;
    double valueOf(const QLineEdit* edit) const;
    // The number of an input, or nothing while the user is typing in it something that is no
    // number yet ("19," on its way, an emptied field); any other input that is no number throws.
    std::optional<double> inputUnlessBeingTyped(const QLineEdit* edit) const;
    QString shortest(double value) const;
    QString grouped(double value, int decimals, int precision = 7) const;
    // The text of a field as the table shows it: its shortest number form, empty when empty.
    QString fieldText(paradox::Table& table, const char* fieldName) const;

    void createButtonBar();
    void createHeader();
    void createListTab();
    void createChartTab();
    void createCalculatorTab();
    void createAlarmTab();
    void createStatisticsTab();
    void createTimers();

    TrackerEnvironment m_environment;
    formats::NumberLocale m_numbers;
    formats::DateTimeLocale m_dates;
    companion::THttpGetForm* m_downloadForm = nullptr;
    CrossingNotifier* m_crossingNotifier = nullptr;
    bool m_formShown = false;
    ImportStatus m_importStatus;
    // Instruments whose import program has not ended yet.
    std::set<std::int64_t> m_importsRunning;
    LevelWatch m_warrantLevels;
    LevelWatch m_underlyingLevels;
};

} // namespace marlovex::tracker

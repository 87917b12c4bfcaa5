// A tracker window on the call and DAX with the family's two shared tables beside its data: the
// price messenger's Message.DB in the data directory and the intraday analysis table Analyse.db
// in its Temp folder. What the window wrote is read back through pxlib.
#pragma once

#include "market/market_tables.h"
#include "support/pxlib_table.h"
#include "tracker_window_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <filesystem>

namespace marlovex::tracker {

using testing_support::PxlibTable;
using testing_support::readWithPxlib;

class HandOverTest : public TrackerWindowTest {
protected:
    HandOverTest() {
        rememberCallOnDax();
        std::filesystem::create_directories(tempDirectory());
        market::createEmptyTable(m_day.directory(), market::messageTableLayout());
        market::createEmptyTable(tempDirectory(), market::analysisTableLayout());
        setMasterData(warrantNumber, 3, 7, 11, "", "OSCALL");
        setMasterData(daxNumber, 1, 2, 5, "DAX", "DAXZDF");
    }

    std::filesystem::path tempDirectory() const { return m_day.directory() / "Temp"; }
    std::filesystem::path analysisFile() const { return tempDirectory() / "Analyse.db"; }
    std::filesystem::path messageFile() const { return m_day.directory() / "Message.DB"; }

    // The master data of an instrument that a new analysis row copies.
    void setMasterData(std::int64_t number, std::int64_t group, std::int64_t sector, std::int64_t feature,
                       const std::string& code, const std::string& zdf) {
        paradox::Table instruments;
        m_day.open(instruments, "Firma.db");
        ASSERT_TRUE(instruments.findKey({number}));
        instruments.edit();
        instruments.field("Gruppe").setInteger(group);
        instruments.field("Branche").setInteger(sector);
        instruments.field("Merkmal").setInteger(feature);
        instruments.field("Kennung").setString(code);
        instruments.field("ZDF").setString(zdf);
        instruments.post();
    }

    // A window after its first tick: the price labels show the latest quotes, 1,60 and 20050,00.
    std::unique_ptr<TOSP_Form> createTickedWindow() {
        auto window = createWindow();
        window->Timer1Timer();
        return window;
    }

    // The rows of a table whose `nameField` equals `name`, in table order.
    static std::vector<std::size_t> rowsNamed(const PxlibTable& table, const char* nameField,
                                              const std::string& name) {
        std::vector<std::size_t> rows;
        for (std::size_t row = 0; row < table.rows.size(); ++row) {
            if (table.at(row, nameField).text == name) {
                rows.push_back(row);
            }
        }
        return rows;
    }
};

} // namespace marlovex::tracker

// A frame under test: its settings file, program and working directories in a temporary home,
// and scripted dialogs. LayoutCommandsTest adds a small trading day, so trackers open for real.
#pragma once

#include "frame/main_form.h"
#include "platform/registry/registry.h"
#include "support/scripted_dialogs.h"
#include "support/temp_directory.h"
#include "support/trading_day.h"
#include "tracker/tracker_environment.h"

#include <QString>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace marlovex::frame {

using testing_support::ScriptedDialogs;
using testing_support::TempDirectory;

inline const std::string frameKey = "\\SOFTWARE\\Brelmund\\Marlovex";

inline QString withSlash(const std::filesystem::path& directory) {
    return QString::fromStdString(directory.string()) + QLatin1Char('/');
}

class MainFormTest : public testing::Test {
protected:
    void SetUp() override {
        m_environment.registryFile = m_home.path() / "config" / "Brelmund" / "Marlovex.reg";
        m_environment.programDir = QString::fromStdString((m_home.path() / "Marlovex" / "bin").string());
        m_environment.currentDir = QString::fromStdString((m_home.path() / "work").string());
        std::filesystem::create_directories(m_home.path() / "work");
    }

    registry::Registry registryAtKey() {
        registry::Registry registry(m_environment.registryFile);
        registry.openKey(frameKey, true);
        return registry;
    }

    // A data directory that holds a quote table, registered as the frame's data directory.
    std::filesystem::path registerDataDirectory() {
        const std::filesystem::path data = m_home.path() / "Daten";
        m_home.writeFile("Daten/INTRADAY.DB", "table");
        registryAtKey().writeString("Datenpath", data.string() + "/");
        return data;
    }

    std::unique_ptr<TMainForm> createFrame() {
        auto frame = std::make_unique<TMainForm>(m_environment);
        frame->show();
        return frame;
    }

    TempDirectory m_home;
    FrameEnvironment m_environment;
    ScriptedDialogs m_dialogs;
};

class LayoutCommandsTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        registryAtKey().writeString("Datenpath", m_day.directory().string() + "/");
        m_environment.trackerEnvironment = testing_support::trackerEnvironment(m_home, nullptr);
        m_environment.trackerEnvironment.registryFile = m_environment.registryFile;
    }

    QString layoutPath(const char* name) const {
        return QString::fromStdString((m_home.path() / name).string());
    }

    void openLayout(TMainForm& frame, const char* name) const {
        frame.OpenDialog.fileName = layoutPath(name);
        frame.AutoOpen();
    }

    // Stores the workspace's window count and chart windows on `titles`, numbered from 0.
    void storeWorkspaceCharts(int count, const std::vector<std::string>& titles) {
        registry::Registry settings = registryAtKey();
        settings.writeInteger("ManageCount", count);
        for (std::size_t index = 0; index < titles.size(); ++index) {
            settings.writeString("ManageTitle" + std::to_string(index), titles[index]);
            settings.writeBool("ManageOT" + std::to_string(index), false);
        }
    }

    testing_support::TradingDay m_day;
};

} // namespace marlovex::frame

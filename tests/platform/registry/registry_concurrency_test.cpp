#include "platform/registry/registry.h"
#include "support/temp_directory.h"

#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace marlovex::registry {
namespace {

using testing_support::TempDirectory;

const std::string settingsKey = "\\SOFTWARE\\Brelmund\\Marlovex";
constexpr int valuesPerWriter = 100;

std::string valueName(int writer, int index) {
    return "W" + std::to_string(writer) + "_" + std::to_string(index);
}

// Writes this writer's values through its own Registry object. Returns false on any error.
bool writeValues(const std::filesystem::path& file, int writer, int count) {
    try {
        Registry registry(file);
        registry.openKey(settingsKey, true);
        for (int i = 0; i < count; ++i)
            registry.writeInteger(valueName(writer, i), writer * 100000 + i);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void expectAllValues(const std::filesystem::path& file, int writers, int count) {
    Registry registry(file);
    ASSERT_TRUE(registry.openKey(settingsKey, false));
    EXPECT_EQ(registry.valueNames().size(), static_cast<std::size_t>(writers * count));
    for (int writer = 0; writer < writers; ++writer) {
        for (int i = 0; i < count; ++i) {
            ASSERT_TRUE(registry.valueExists(valueName(writer, i))) << valueName(writer, i);
            EXPECT_EQ(registry.readInteger(valueName(writer, i)), writer * 100000 + i);
        }
    }
}

// Two processes with two objects each write at once: process-wide record locks would let the
// threads of one process overwrite each other's changes.
TEST(RegistryConcurrency, FourObjectsInTwoProcessesWritingAtOnceLoseNoValue) {
    const TempDirectory directory;
    const std::filesystem::path file = directory.path() / "Brelmund" / "Marlovex.reg";

    // Both children wait on this pipe, so that they start writing together.
    int startSignal[2];
    ASSERT_EQ(::pipe(startSignal), 0);
    pid_t children[2] = {-1, -1};
    for (int process = 0; process < 2; ++process) {
        children[process] = ::fork();
        ASSERT_GE(children[process], 0);
        if (children[process] == 0) {
            ::close(startSignal[1]);
            char ignored = 0;
            bool succeeded[2] = {false, false};
            if (::read(startSignal[0], &ignored, 1) == 0) {
                std::jthread first([&] { succeeded[0] = writeValues(file, 2 * process, valuesPerWriter); });
                std::jthread second(
                    [&] { succeeded[1] = writeValues(file, 2 * process + 1, valuesPerWriter); });
            }
            ::_exit(succeeded[0] && succeeded[1] ? 0 : 1);
        }
    }
    ::close(startSignal[0]);
    ::close(startSignal[1]);

    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    expectAllValues(file, 4, valuesPerWriter);
}

// Two instances saving their workspaces at once: whoever commits last, the file holds one
// instance's whole workspace, never a count of one with the windows of the other.
TEST(RegistryConcurrency, ABatchIsSeenWholeOrNotAtAll) {
    const TempDirectory directory;
    const std::filesystem::path file = directory.path() / "Marlovex.reg";
    constexpr int rounds = 60;
    const auto saveWorkspace = [&](int instance, int windows) {
        Registry registry(file);
        registry.openKey(settingsKey, true);
        for (int round = 0; round < rounds; ++round) {
            registry.beginBatch();
            registry.writeInteger("ManageCount", windows);
            for (int window = 0; window < windows; ++window) {
                registry.writeString("ManageTitle" + std::to_string(window),
                                     "Instanz" + std::to_string(instance));
            }
            registry.commitBatch();
        }
    };
    std::atomic<bool> writing = true;
    int mixed = 0;
    int looks = 0;
    {
        std::jthread first([&] { saveWorkspace(1, 3); });
        std::jthread second([&] { saveWorkspace(2, 5); });
        // Looks at the committed file between the writers' commits, whole each time.
        std::jthread reader([&] {
            while (writing) {
                const std::string text = testing_support::readText(file);
                if (text.empty()) {
                    continue;
                }
                const RegDocument document = parseRegFile(text, file);
                const RegSection* section =
                    document.findSection("HKEY_CURRENT_USER\\SOFTWARE\\Brelmund\\Marlovex");
                if (section == nullptr || section->findValue("ManageCount") == nullptr) {
                    continue;
                }
                ++looks;
                const auto count = std::get<std::uint32_t>(section->findValue("ManageCount")->data);
                const std::string expected = count == 3 ? "Instanz1" : "Instanz2";
                for (std::uint32_t window = 0; window < count; ++window) {
                    const RegValue* title = section->findValue("ManageTitle" + std::to_string(window));
                    if (title == nullptr || std::get<std::string>(title->data) != expected) {
                        ++mixed;
                    }
                }
            }
        });
        first.join();
        second.join();
        writing = false;
    }
    EXPECT_GT(looks, 0);
    EXPECT_EQ(mixed, 0);
}

} // namespace
} // namespace marlovex::registry

#include "platform/common/error.h"
#include "support/scripted_dialogs.h"
#include "ui/dialogs.h"
#include "ui/error_display.h"

#include <gtest/gtest.h>

namespace marlovex::ui {
namespace {

TEST(FileFilterTest, ConvertsDesktopFiltersAndMatchesEitherCase) {
    EXPECT_EQ(qtFileFilter("Marlovex Diagramm-Manager|*.QVZ"), "Marlovex Diagramm-Manager (*.QVZ *.qvz)");
    EXPECT_EQ(qtFileFilter("Texte|*.txt;*.CSV|Alle|*"), "Texte (*.txt *.CSV *.csv);;Alle (*)");
    EXPECT_EQ(qtFileFilter(""), "");
}

TEST(ErrorDisplayTest, AHandlerErrorIsShownAndEndsOnlyThatHandler) {
    testing_support::ScriptedDialogs dialogs;
    bool after = false;
    runHandler([&] {
        throw Error("Tabelle Intraday.db ist gesperrt");
        after = true;
    });
    runHandler([&] { throw std::runtime_error("anderer Fehler"); });
    runHandler([] { throw 42; });
    EXPECT_FALSE(after);
    EXPECT_EQ(dialogs.messages,
              (QStringList{"Tabelle Intraday.db ist gesperrt", "anderer Fehler", "Unbekannter Fehler"}));
}

} // namespace
} // namespace marlovex::ui

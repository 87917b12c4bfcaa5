#include "tracker/live/import_status.h"

#include <gtest/gtest.h>

namespace marlovex::tracker {
namespace {

constexpr std::int64_t call = 17;
constexpr std::int64_t dax = 846900;

TEST(ImportStatusTest, FollowsAnImportFromItsStartToItsEndAndKeepsAFailureUntilItsInstrumentSucceeds) {
    ImportStatus status;
    EXPECT_EQ(status.line().state, "");
    status.started(call, "DAX Call");
    EXPECT_EQ(status.line().state, "DAX Call: Import läuft");
    status.finished(call, "DAX Call", 0, "letzter Kurs 09:06:00", "");
    EXPECT_EQ(status.line().state, "DAX Call: Import fertig");
    EXPECT_EQ(status.line().detail, "letzter Kurs 09:06:00");
    // The next start keeps the last stored quote in view while it runs.
    status.started(call, "DAX Call");
    EXPECT_EQ(status.line().state, "DAX Call: Import läuft");
    EXPECT_EQ(status.line().detail, "letzter Kurs 09:06:00");

    // A failure stays in view until the same instrument succeeds.
    status.started(dax, "DAX");
    status.finished(call, "DAX Call", 1, "", "Lorquin /W 17: Die Quelle antwortet nicht.");
    status.finished(dax, "DAX", 0, "letzter Kurs 09:05:00", "");
    EXPECT_EQ(status.line().state, "DAX Call: Import fehlgeschlagen");
    EXPECT_EQ(status.line().detail, "Lorquin /W 17: Die Quelle antwortet nicht.");

    // Starting again is no success yet.
    status.started(call, "DAX Call");
    status.started(dax, "DAX");
    EXPECT_EQ(status.line().state, "DAX Call: Import fehlgeschlagen");

    status.finished(call, "DAX Call", 0, "letzter Kurs 09:07:00", "");
    EXPECT_EQ(status.line().state, "DAX Call: Import fertig");
    EXPECT_EQ(status.line().detail, "letzter Kurs 09:07:00");
    status.finished(dax, "DAX", 0, "letzter Kurs 09:08:00", "");
    EXPECT_EQ(status.line().state, "DAX: Import fertig");
    EXPECT_EQ(status.line().detail, "letzter Kurs 09:08:00");
}

TEST(ImportStatusTest, TheNewestOfSeveralFailuresIsShownWithAReasonUntilItsInstrumentIsNoLongerImported) {
    ImportStatus status;
    status.finished(dax, "DAX", 1, "", "Lorquin /W 846900: HTTP-Status 500.");
    status.finished(call, "DAX Call", -1, "", "");
    EXPECT_EQ(status.line().state, "DAX Call: Import fehlgeschlagen");
    EXPECT_EQ(status.line().detail, "Das Importprogramm wurde abgebrochen.");
    status.finished(dax, "DAX", 2, "", "");
    EXPECT_EQ(status.line().state, "DAX: Import fehlgeschlagen");
    EXPECT_EQ(status.line().detail, "Das Importprogramm endete mit dem Code 2.");

    // An instrument no longer imported takes its failure with it.
    status.finished(dax, "DAX", 0, "letzter Kurs 09:05:00", "");
    EXPECT_EQ(status.line().state, "DAX Call: Import fehlgeschlagen");
    status.forgetAllBut({dax});
    EXPECT_EQ(status.line().state, "DAX: Import fertig");
    status.forgetAllBut({});
    EXPECT_EQ(status.line().state, "");
}

} // namespace
} // namespace marlovex::tracker

#include "companion/http_get_form.h"
#include "companion/wert_wahl_form.h"

#include <QListWidget>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <memory>

namespace marlovex::companion {
namespace {

TEST(WertWahlFormTest, SelectsTheCurrentInstrumentOrNothing) {
    TWertWahlForm picker;
    for (const char* name : {"Allianz", "Bayer", "DAX"}) {
        picker.addItem(QString::fromLatin1(name));
    }
    picker.selectItem("Bayer");
    EXPECT_EQ(picker.selectedText(), "Bayer");
    picker.selectItem("Siemens");
    EXPECT_EQ(picker.selectedText(), "");
    picker.clearItems();
    EXPECT_EQ(picker.listBox()->count(), 0);
}

TEST(HttpGetFormTest, AbortEndsARunningDownloadOnly) {
    THttpGetForm form;
    QSignalSpy aborted(form.HttpCli1(), &THttpCli::aborted);
    form.HttpCli1()->Abort();
    EXPECT_EQ(aborted.count(), 0);

    form.busy = true;
    form.HttpCli1()->setRunning(true);
    form.HttpCli1()->Abort();
    EXPECT_EQ(aborted.count(), 1);
    EXPECT_FALSE(form.busy);
    EXPECT_FALSE(form.HttpCli1()->isRunning());
}

// The two panels' texts are read back through the trackers' status mirror.
TEST(HttpGetFormTest, AStatusPanelBeyondTheTwoIsIgnored) {
    THttpGetForm form;
    form.setStatusPanelText(2, "ignoriert");
    EXPECT_EQ(form.statusPanelText(2), "");
}

TEST(HttpGetFormTest, TheLastInstalledFormIsCurrentUntilItIsGone) {
    auto first = std::make_unique<THttpGetForm>();
    auto second = std::make_unique<THttpGetForm>();
    setHttpGetForm(first.get());
    setHttpGetForm(second.get());
    EXPECT_EQ(HttpGetForm(), second.get());
    second.reset();
    EXPECT_EQ(HttpGetForm(), nullptr);
}

} // namespace
} // namespace marlovex::companion

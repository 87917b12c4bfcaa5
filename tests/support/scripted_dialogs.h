// A dialog service for tests: it records every box and dialog the code under test shows and
// answers from queues that the test fills beforehand. An unexpected question fails the test.
#pragma once

#include "support/qt_printers.h"
#include "ui/dialogs.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace marlovex::testing_support {

class ScriptedDialogs : public ui::DialogService {
public:
    ScriptedDialogs() { ui::setDialogService(this); }
    ~ScriptedDialogs() override { ui::setDialogService(nullptr); }

    QStringList messages;
    QStringList questions;
    QStringList questionCaptions;
    struct InputRequest {
        QString title;
        QString prompt;
        QString preset;
    };
    std::vector<InputRequest> inputRequests;
    std::vector<ui::FileDialogRequest> fileRequests;

    std::deque<bool> yesNoAnswers;
    // An input answer of std::nullopt stands for Cancel.
    std::deque<std::optional<QString>> inputAnswers;
    std::deque<QString> fileAnswers;
    // Called with each modal dialog instead of running it; returns the dialog's result.
    std::function<int(QDialog&)> onModal = [](QDialog&) { return int(QDialog::Rejected); };

    void showMessage(QWidget*, const QString& text) override { messages << text; }

    bool askYesNo(QWidget*, const QString& caption, const QString& text) override {
        questions << text;
        questionCaptions << caption;
        if (yesNoAnswers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text.toStdString();
            return false;
        }
        const bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }

    QString inputBox(QWidget*, const QString& title, const QString& prompt, const QString& preset) override {
        inputRequests.push_back({title, prompt, preset});
        if (inputAnswers.empty()) {
            ADD_FAILURE() << "unexpected input box: " << title.toStdString();
            return preset;
        }
        const std::optional<QString> answer = inputAnswers.front();
        inputAnswers.pop_front();
        return answer.value_or(preset);
    }

    QString openFileName(QWidget*, const ui::FileDialogRequest& request) override {
        return nextFile(request);
    }
    QString saveFileName(QWidget*, const ui::FileDialogRequest& request) override {
        return nextFile(request);
    }

    int execModal(QDialog& dialog) override { return onModal(dialog); }

private:
    QString nextFile(const ui::FileDialogRequest& request) {
        fileRequests.push_back(request);
        if (fileAnswers.empty()) {
            return {};
        }
        const QString answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
};

} // namespace marlovex::testing_support

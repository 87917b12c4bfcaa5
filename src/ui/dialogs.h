// The one seam through which every window shows modal boxes and dialogs. The program uses the
// Qt implementation; tests install a scripted one, so no test ever waits for a human.
//
// Not thread-safe: used from the user-interface thread only.
#pragma once

#include <QString>

class QDialog;
class QWidget;

namespace marlovex::ui {

// What a file dialog needs to know. `filter` is written as the classic desktop writes it:
// "Marlovex Diagramm-Manager|*.QVZ" (description, bar, patterns; more pairs separated by bars).
struct FileDialogRequest {
    QString title;
    QString filter;
    QString defaultExtension;
    QString fileName;
};

class DialogService {
public:
    virtual ~DialogService() = default;

    // An information box with an OK button.
    virtual void showMessage(QWidget* parent, const QString& text) = 0;
    // A confirmation box with the buttons Yes and No under `caption`; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& caption, const QString& text) = 0;
    // An input box with one line of text; returns `preset` when the user cancels.
    virtual QString inputBox(QWidget* parent, const QString& title, const QString& prompt,
                             const QString& preset) = 0;
    // File dialogs; an empty result means the user cancelled.
    virtual QString openFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual QString saveFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    // Runs a dialog modally and returns its result code (QDialog::Accepted or Rejected).
    virtual int execModal(QDialog& dialog) = 0;
};

// The service in use: the Qt one unless a test installed another.
DialogService& dialogs();
// Installs `service` (not owned); nullptr returns to the Qt one.
void setDialogService(DialogService* service);

// "Text|*.a;*.b|Other|*.c" -> "Text (*.a *.b);;Other (*.c)". Patterns are matched in either
// letter case, as on the desktops the program comes from.
QString qtFileFilter(const QString& filter);

} // namespace marlovex::ui

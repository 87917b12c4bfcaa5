#include "ui/dialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>

namespace marlovex::ui {
namespace {

class QtDialogService final : public DialogService {
public:
    void showMessage(QWidget* parent, const QString& text) override {
        QMessageBox::information(parent, messageTitle(), text);
    }

    bool askYesNo(QWidget* parent, const QString& caption, const QString& text) override {
        return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    }

    QString inputBox(QWidget* parent, const QString& title, const QString& prompt,
                     const QString& preset) override {
        bool accepted = false;
        const QString text =
            QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, preset, &accepted);
        return accepted ? text : preset;
    }

    QString openFileName(QWidget* parent, const FileDialogRequest& request) override {
        return withDefaultExtension(QFileDialog::getOpenFileName(parent, request.title, request.fileName,
                                                                 qtFileFilter(request.filter)),
                                    request);
    }

    QString saveFileName(QWidget* parent, const FileDialogRequest& request) override {
        return withDefaultExtension(QFileDialog::getSaveFileName(parent, request.title, request.fileName,
                                                                 qtFileFilter(request.filter)),
                                    request);
    }

    int execModal(QDialog& dialog) override { return dialog.exec(); }

private:
    static QString messageTitle() { return QStringLiteral("Marlovex Diagramm-Manager"); }

    // A name typed without extension gets the default one, as the classic dialogs do.
    static QString withDefaultExtension(const QString& fileName, const FileDialogRequest& request) {
        if (fileName.isEmpty() || request.defaultExtension.isEmpty()) {
            return fileName;
        }
        const QString base = fileName.section(QLatin1Char('/'), -1);
        if (base.contains(QLatin1Char('.'))) {
            return fileName;
        }
        return fileName + QLatin1Char('.') + request.defaultExtension;
    }
};

QtDialogService& qtDialogService() {
    static QtDialogService service;
    return service;
}

DialogService* installedService = nullptr;

} // namespace

DialogService& dialogs() {
    return installedService != nullptr ? *installedService : qtDialogService();
}

void setDialogService(DialogService* service) {
    installedService = service;
}

QString qtFileFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString trimmed = pattern.trimmed();
            patterns << trimmed;
            if (trimmed.toLower() != trimmed) {
                patterns << trimmed.toLower();
            }
        }
        entries << QStringLiteral("%1 (%2)").arg(parts[i], patterns.join(QLatin1Char(' ')));
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace marlovex::ui

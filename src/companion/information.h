// The about box (the companion library's TInformation): three lines of text, title, platform
// and version, under the program's picture.
//
// Not thread-safe: user-interface thread only.
#pragma once

#include <QDialog>

class QLabel;

namespace marlovex::companion {

class TInformation : public QDialog {
    Q_OBJECT

public:
    explicit TInformation(QWidget* owner = nullptr);

    QLabel* titleLine() const { return m_title; }
    QLabel* platformLine() const { return m_platform; }
    QLabel* versionLine() const { return m_version; }

private:
    QLabel* m_title = nullptr;
    QLabel* m_platform = nullptr;
    QLabel* m_version = nullptr;
};

} // namespace marlovex::companion

// The question before a restored chart window exports. Layout files and workspaces travel
// between users; one that switches a chart's export on must not make the program write a file
// of the user's without the user having agreed to it.
//
// Not thread-safe: user-interface thread only.
#pragma once

#include <QString>
#include <map>

class QWidget;

namespace marlovex::companion {
class TIntradayForm;
}

namespace marlovex::frame {

// One restore's answers: each file is asked about once, however many windows name it.
class ExportConsent {
public:
    explicit ExportConsent(QWidget* parent);

    // Leaves `chart`'s export switched on only when the user agrees to its file being written.
    void confirm(companion::TIntradayForm& chart);

private:
    QWidget* m_parent;
    std::map<QString, bool> m_answers;
};

} // namespace marlovex::frame

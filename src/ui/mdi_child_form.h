// Base of the frame's child windows. A child decides in its close handler what closing means,
// as the classic desktop frames do: by default a child window is only minimized; a handler that
// sets CloseAction::Free makes it free itself.
//
// Not thread-safe: user-interface thread only.
#pragma once

#include "ui/window_placement.h"

#include <QWidget>
#include <functional>

class QMdiSubWindow;

namespace marlovex::ui {

enum class CloseAction {
    None,
    Hide,
    Free,
    Minimize,
};

class MdiChildForm : public QWidget {
    Q_OBJECT

public:
    explicit MdiChildForm(QWidget* parent = nullptr);

    // The close handler; it may change the action, which starts as Minimize.
    std::function<void(CloseAction&)> OnClose;

    // The sub-window that holds this form inside the frame, or nullptr before it is placed.
    QMdiSubWindow* subWindow() const;

    // The window's bounds inside the frame (the sub-window's, once placed). Set bounds are kept
    // to the screen (see screen_bounds.h).
    QRect bounds() const;
    void setBounds(const QRect& bounds);
    void setLeft(int left);
    void setTop(int top);
    void setWidth(int width);
    void setHeight(int height);
    // The bounds as a saved arrangement holds them, and putting them back: the size first, so
    // that the position is kept to the screen for the size the window will have.
    WindowPlacement placement() const;
    void place(const WindowPlacement& placement);

    // The caption shown in the frame's window list.
    void setCaption(const QString& caption);
    QString caption() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* boundsHolder() const;
};

} // namespace marlovex::ui

#include "ui/mdi_child_form.h"

#include "ui/screen_bounds.h"

#include <QCloseEvent>
#include <QMdiSubWindow>

namespace marlovex::ui {

MdiChildForm::MdiChildForm(QWidget* parent)
    : QWidget(parent) {}

QMdiSubWindow* MdiChildForm::subWindow() const {
    return qobject_cast<QMdiSubWindow*>(parentWidget());
}

QWidget* MdiChildForm::boundsHolder() const {
    QMdiSubWindow* holder = subWindow();
    return holder != nullptr ? static_cast<QWidget*>(holder) : const_cast<MdiChildForm*>(this);
}

QRect MdiChildForm::bounds() const {
    return boundsHolder()->geometry();
}

void MdiChildForm::setBounds(const QRect& bounds) {
    setWidth(bounds.width());
    setHeight(bounds.height());
    setLeft(bounds.x());
    setTop(bounds.y());
}

void MdiChildForm::setLeft(int left) {
    QWidget* holder = boundsHolder();
    holder->move(positionOnScreen(left, holder->width(), availableScreenArea(this).width()), holder->y());
}

void MdiChildForm::setTop(int top) {
    QWidget* holder = boundsHolder();
    // The title bar stays below the top edge, where the window can be dragged back.
    holder->move(holder->x(), positionOnScreen(top, 0, availableScreenArea(this).height()));
}

void MdiChildForm::setWidth(int width) {
    QWidget* holder = boundsHolder();
    holder->resize(extentOnScreen(width, availableScreenArea(this).width()), holder->height());
}

void MdiChildForm::setHeight(int height) {
    QWidget* holder = boundsHolder();
    holder->resize(holder->width(), extentOnScreen(height, availableScreenArea(this).height()));
}

WindowPlacement MdiChildForm::placement() const {
    const QRect current = bounds();
    return {current.width(), current.height(), current.x(), current.y()};
}

void MdiChildForm::place(const WindowPlacement& placement) {
    if (placement.width) {
        setWidth(*placement.width);
    }
    if (placement.height) {
        setHeight(*placement.height);
    }
    if (placement.left) {
        setLeft(*placement.left);
    }
    if (placement.top) {
        setTop(*placement.top);
    }
}

void MdiChildForm::setCaption(const QString& caption) {
    setWindowTitle(caption);
    if (QMdiSubWindow* holder = subWindow()) {
        holder->setWindowTitle(caption);
    }
}

QString MdiChildForm::caption() const {
    return windowTitle();
}

void MdiChildForm::closeEvent(QCloseEvent* event) {
    CloseAction action = CloseAction::Minimize;
    if (OnClose) {
        OnClose(action);
    }
    QMdiSubWindow* holder = subWindow();
    switch (action) {
    case CloseAction::Free:
        if (holder != nullptr) {
            holder->setAttribute(Qt::WA_DeleteOnClose);
        } else {
            setAttribute(Qt::WA_DeleteOnClose);
        }
        event->accept();
        return;
    case CloseAction::Hide:
        event->accept();
        return;
    case CloseAction::Minimize:
        event->ignore();
        if (holder != nullptr) {
            holder->showMinimized();
        }
        return;
    case CloseAction::None:
        event->ignore();
        return;
    }
}

} // namespace marlovex::ui

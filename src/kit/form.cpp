#include "kit/form.h"

#include <QCloseEvent>

#include "common/handler_guard.h"
#include "kit/bench.h"

TPanelForm::TPanelForm(Bench& program, const QString& name, const QString& caption, QWidget* parent)
    : QWidget(parent), P(program) {
  setObjectName(name);
  setWindowTitle(caption);
}

bool TPanelForm::Shown() const { return frame_ && !frame_->isHidden(); }

TDialogForm::TDialogForm(Bench& program, const QString& name, const QString& caption, QWidget* parent)
    : QDialog(parent), P(program) {
  setObjectName(name);
  setWindowTitle(caption);
}

PanelFrame::PanelFrame(TPanelForm* form, QWidget* parent) : QMdiSubWindow(parent), form_(form) {
  setObjectName(form->objectName() + "Frame");
  setAttribute(Qt::WA_DeleteOnClose, false);
  setWidget(form);
  setWindowTitle(form->windowTitle());
  connect(form, &QWidget::windowTitleChanged, this, &QWidget::setWindowTitle);
  form->SetFrame(this);
}

void PanelFrame::closeEvent(QCloseEvent* e) {
  // Never destroyed: the panel hides and its close handler runs.
  GuardedEvent(form_->P, [&] {
    e->ignore();
    hide();
    form_->RunFormClose();
  });
}

namespace {
constexpr Qt::WindowStates kNotNormal = Qt::WindowMaximized | Qt::WindowMinimized;
bool NotNormal(Qt::WindowStates s) { return s & kNotNormal; }
}  // namespace

// Only a change between normal, maximized and minimized reaches the subwindow: it
// takes any change of its state, of the active flag too, for one, and going to normal
// it puts back the size it kept when it was last maximized or minimized; a frame that
// never was would fall to its minimum size.
void PanelFrame::SetState(Qt::WindowStates state) {
  pending_.reset();
  state &= kNotNormal;
  if ((windowState() & kNotNormal) == state) return;
  if (isHidden()) pending_ = state;
  else setWindowState((windowState() & ~kNotNormal) | state);
}

void PanelFrame::setVisible(bool visible) {
  QMdiSubWindow::setVisible(visible);
  if (visible && pending_) SetState(*pending_);
}

QRect PanelFrame::NormalGeometry() const {
  return NotNormal(windowState()) && normal_.isValid() ? normal_ : geometry();
}

void PanelFrame::KeepNormalGeometry() {
  if (!NotNormal(windowState())) normal_ = geometry();
}

void PanelFrame::moveEvent(QMoveEvent* e) {
  QMdiSubWindow::moveEvent(e);
  KeepNormalGeometry();
}

void PanelFrame::resizeEvent(QResizeEvent* e) {
  QMdiSubWindow::resizeEvent(e);
  KeepNormalGeometry();
}

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
bool NotNormal(Qt::WindowStates s) { return s & (Qt::WindowMaximized | Qt::WindowMinimized); }
}  // namespace

void PanelFrame::SetState(Qt::WindowStates state) {
  if (isHidden()) {
    pending_ = state;
  } else {
    pending_.reset();
    setWindowState(state);
  }
}

void PanelFrame::setVisible(bool visible) {
  QMdiSubWindow::setVisible(visible);
  if (visible && pending_) {
    const Qt::WindowStates state = *pending_;
    pending_.reset();
    setWindowState(state);
  }
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

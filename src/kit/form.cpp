#include "kit/form.h"

#include <QCloseEvent>

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
  e->ignore();
  hide();
  form_->RunFormClose();
}

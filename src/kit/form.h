#pragma once
// Base of the program's windows. Each window exists once, from start-up to exit;
// its create handler runs right after construction and its close handler whenever
// it is hidden. Panels live in an MDI child frame of the main window while shown.

#include <QDialog>
#include <QMdiSubWindow>
#include <QWidget>

class Bench;

class FormHandlers {
public:
  virtual ~FormHandlers() = default;
  virtual void FormCreate() {}
  virtual void FormClose() {}
  // Runs the close handler; counts the runs.
  void RunFormClose() {
    ++CloseRuns;
    FormClose();
  }
  int CloseRuns = 0;
};

// A panel window: shown as an MDI child, hidden (never destroyed) by its close box.
class TPanelForm : public QWidget, public FormHandlers {
  Q_OBJECT
public:
  TPanelForm(Bench& program, const QString& name, const QString& caption, QWidget* parent = nullptr);

  Bench& P;
  QString Caption() const { return windowTitle(); }
  void SetCaption(const QString& text) { setWindowTitle(text); }
  // The frame that holds the panel inside the main window's MDI area.
  QMdiSubWindow* Frame() const { return frame_; }
  void SetFrame(QMdiSubWindow* f) { frame_ = f; }
  // True while the panel is shown as an MDI child.
  bool Shown() const;

private:
  QMdiSubWindow* frame_ = nullptr;
};

// A dialog window of the program (the Setup dialog, the keypad).
class TDialogForm : public QDialog, public FormHandlers {
  Q_OBJECT
public:
  TDialogForm(Bench& program, const QString& name, const QString& caption, QWidget* parent = nullptr);
  Bench& P;
};

// The MDI frame of a panel: its close box hides the panel and runs the close handler.
class PanelFrame : public QMdiSubWindow {
  Q_OBJECT
public:
  PanelFrame(TPanelForm* form, QWidget* parent = nullptr);
  TPanelForm* Form() const { return form_; }

protected:
  void closeEvent(QCloseEvent* e) override;

private:
  TPanelForm* form_;
};

#pragma once
// Base of the program's windows. Each window exists once, from start-up to exit;
// its create handler runs right after construction and its close handler whenever
// it is hidden. Panels live in an MDI child frame of the main window while shown.

#include <QDialog>
#include <QMdiSubWindow>
#include <QWidget>
#include <optional>

class Bench;
class PanelFrame;

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
  PanelFrame* Frame() const { return frame_; }
  void SetFrame(PanelFrame* f) { frame_ = f; }
  // True while the panel is shown as an MDI child.
  bool Shown() const;

private:
  PanelFrame* frame_ = nullptr;
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

  // Normal, maximized or minimized (other flags are ignored). A frame already so is
  // left as it is. A hidden subwindow that changes its state shows itself: a hidden
  // frame keeps the state it is given and takes it when it is next shown.
  void SetState(Qt::WindowStates state);
  Qt::WindowStates State() const { return pending_ ? *pending_ : windowState(); }
  // The bounds in normal state: while maximized or minimized, those it goes back to.
  QRect NormalGeometry() const;
  void setVisible(bool visible) override;

protected:
  void closeEvent(QCloseEvent* e) override;
  void moveEvent(QMoveEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

private:
  void KeepNormalGeometry();
  TPanelForm* form_;
  std::optional<Qt::WindowStates> pending_;
  QRect normal_;
};

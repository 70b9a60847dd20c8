#pragma once
// The application object. Every handler the program gives the toolkit shows its own
// errors (common/handler_guard.h); the event dispatch here is the last guard: an error
// that still escapes a handler is shown in a message box with its text.

#include <QApplication>

#include "common/handler_guard.h"

class Dialogs;

class MxApplication : public QApplication, public ErrorShow {
  Q_OBJECT
public:
  MxApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
  void SetDialogs(Dialogs* d) { dialogs_ = d; }
  // Shows an error text the way the handlers do.
  void ShowError(const QString& text) const override;

private:
  Dialogs* dialogs_ = nullptr;
};

#pragma once
// The application object; its event dispatch is the top-level error handler: an
// error that escapes a handler is shown in a message box with its text.

#include <QApplication>

class Dialogs;

class MxApplication : public QApplication {
  Q_OBJECT
public:
  MxApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
  void SetDialogs(Dialogs* d) { dialogs_ = d; }
  // Shows an error text the way the top-level handler does.
  void ShowError(const QString& text);

private:
  Dialogs* dialogs_ = nullptr;
};

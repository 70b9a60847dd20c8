#include "shell/application.h"

#include <QMessageBox>

#include "platform/dialogs.h"

MxApplication::MxApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void MxApplication::ShowError(const QString& text) const {
  if (dialogs_)
    dialogs_->MessageBox(activeWindow(), text, applicationName(), MB_OK);
  else
    QMessageBox::critical(activeWindow(), applicationName(), text);
}

bool MxApplication::notify(QObject* receiver, QEvent* event) {
  bool handled = false;
  RunGuarded(*this, [&] { handled = QApplication::notify(receiver, event); });
  return handled;
}

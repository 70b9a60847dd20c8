#include "shell/application.h"

#include <QMessageBox>
#include <exception>

#include "platform/dialogs.h"

MxApplication::MxApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void MxApplication::ShowError(const QString& text) {
  if (dialogs_)
    dialogs_->MessageBox(activeWindow(), text, applicationName(), MB_OK);
  else
    QMessageBox::critical(activeWindow(), applicationName(), text);
}

bool MxApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowError(QString::fromStdString(e.what()));
  } catch (...) {
    ShowError("Unknown error");
  }
  return false;
}

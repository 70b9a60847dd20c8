#include "platform/dialogs.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

QString QtFileFilter(const QString& filter) {
  if (!filter.contains('|')) return filter;
  QStringList parts = filter.split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString name = parts[i];
    QString pattern = parts[i + 1];
    pattern.replace(';', ' ');
    out << (name.contains('(') ? name : name + " (" + pattern + ")");
  }
  return out.join(";;");
}

namespace {

QString WithDefaultExt(QString path, const QString& ext) {
  if (!path.isEmpty() && !ext.isEmpty() && QFileInfo(path).suffix().isEmpty()) path += "." + ext;
  return path;
}

QString StartPath(const FileDialogRequest& r) {
  if (r.fileName.isEmpty()) return r.initialDir;
  if (r.initialDir.isEmpty()) return r.fileName;
  return QDir(r.initialDir).filePath(r.fileName);
}

}  // namespace

int QtDialogs::MessageBox(QWidget* parent, const QString& text, const QString& caption, int buttons) {
  QMessageBox box(parent);
  box.setWindowTitle(caption);
  box.setText(text);
  switch (buttons) {
    case MB_OKCANCEL: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MB_YESNOCANCEL:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
    case MB_YESNO: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MB_YES: box.setStandardButtons(QMessageBox::Yes); break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
  }
  switch (box.exec()) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDCANCEL;
  }
}

QString QtDialogs::OpenFileName(QWidget* parent, const FileDialogRequest& r) {
  return QFileDialog::getOpenFileName(parent, r.caption, StartPath(r), QtFileFilter(r.filter));
}

QString QtDialogs::SaveFileName(QWidget* parent, const FileDialogRequest& r) {
  QFileDialog::Options options;
  if (!r.promptOverwrite) options |= QFileDialog::DontConfirmOverwrite;
  return WithDefaultExt(
      QFileDialog::getSaveFileName(parent, r.caption, StartPath(r), QtFileFilter(r.filter), nullptr, options),
      r.defaultExt);
}

bool QtDialogs::OpenWithDesktop(const QString& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QColor QtDialogs::ChooseColor(QWidget* parent, const QColor& initial) {
  QColor c = QColorDialog::getColor(initial, parent);
  return c.isValid() ? c : initial;
}

int ScriptedDialogs::MessageBox(QWidget*, const QString& text, const QString& caption, int buttons) {
  messages.append({text, caption, buttons});
  if (!answers.isEmpty()) return answers.takeFirst();
  return (buttons == MB_YESNO || buttons == MB_YESNOCANCEL || buttons == MB_YES) ? IDYES : IDOK;
}

QString ScriptedDialogs::OpenFileName(QWidget*, const FileDialogRequest& r) {
  fileRequests.append(r);
  return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
}

QString ScriptedDialogs::SaveFileName(QWidget*, const FileDialogRequest& r) {
  fileRequests.append(r);
  return saveAnswers.isEmpty() ? QString() : WithDefaultExt(saveAnswers.takeFirst(), r.defaultExt);
}

bool ScriptedDialogs::OpenWithDesktop(const QString& path) {
  opened.append(path);
  return desktopAvailable;
}

QColor ScriptedDialogs::ChooseColor(QWidget*, const QColor& initial) {
  ++colorDialogs;
  return colorAnswers.isEmpty() ? initial : colorAnswers.takeFirst();
}

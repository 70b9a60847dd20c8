#pragma once
// Message boxes, file dialogs and the desktop's file opener, behind one interface so
// that tests answer them. Buttons and answers follow the classic message-box codes.

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// MB_YES: a box without icon and with the single button Yes.
enum MsgButtons { MB_OK = 0, MB_OKCANCEL = 1, MB_YESNOCANCEL = 3, MB_YESNO = 4, MB_YES = 8 };
enum MsgAnswer { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

struct FileDialogRequest {
  QString caption;
  QString initialDir;
  QString fileName;      // proposed file name
  QString filter;        // "CSV files (*.csv)|*.csv" style filters, as the windows set them
  QString defaultExt;    // without the dot
  bool promptOverwrite = false;

  // The filter "*.ext|*.ext" with that default extension.
  static FileDialogRequest ForExtension(const QString& ext) {
    FileDialogRequest r;
    r.filter = "*." + ext + "|*." + ext;
    r.defaultExt = ext;
    return r;
  }
};

// A filter in the toolkit's form: "Text files (*.txt)|*.txt|All (*.*)|*.*" ->
// "Text files (*.txt);;All (*.*)"; a name without patterns in brackets gets them, the
// ";" between patterns becoming a space: "*.CSV|*.CSV;*.csv" -> "*.CSV (*.CSV *.csv)".
QString QtFileFilter(const QString& filter);

class Dialogs {
public:
  virtual ~Dialogs() = default;
  virtual int MessageBox(QWidget* parent, const QString& text, const QString& caption,
                         int buttons = MB_OK) = 0;
  // The chosen path, or empty when cancelled.
  virtual QString OpenFileName(QWidget* parent, const FileDialogRequest& request) = 0;
  virtual QString SaveFileName(QWidget* parent, const FileDialogRequest& request) = 0;
  // Opens a file with the desktop's default program; false when none could be started.
  virtual bool OpenWithDesktop(const QString& path) = 0;
  // The colour dialog: the colour chosen, or `initial` when cancelled.
  virtual QColor ChooseColor(QWidget* parent, const QColor& initial) = 0;
};

// Real dialogs on the window toolkit.
class QtDialogs : public Dialogs {
public:
  int MessageBox(QWidget* parent, const QString& text, const QString& caption, int buttons) override;
  QString OpenFileName(QWidget* parent, const FileDialogRequest& request) override;
  QString SaveFileName(QWidget* parent, const FileDialogRequest& request) override;
  bool OpenWithDesktop(const QString& path) override;
  QColor ChooseColor(QWidget* parent, const QColor& initial) override;
};

// Dialogs answered from queues, recording what was shown. Empty queues answer
// IDOK / IDYES for message boxes and cancel for file and colour dialogs.
class ScriptedDialogs : public Dialogs {
public:
  struct Shown { QString text; QString caption; int buttons; };
  int MessageBox(QWidget* parent, const QString& text, const QString& caption, int buttons) override;
  QString OpenFileName(QWidget* parent, const FileDialogRequest& request) override;
  QString SaveFileName(QWidget* parent, const FileDialogRequest& request) override;
  bool OpenWithDesktop(const QString& path) override;
  QColor ChooseColor(QWidget* parent, const QColor& initial) override;

  QList<Shown> messages;
  QList<int> answers;
  QStringList openAnswers;
  QStringList saveAnswers;
  QList<FileDialogRequest> fileRequests;
  QStringList opened;
  bool desktopAvailable = true;
  QList<QColor> colorAnswers;  // empty: the dialog is cancelled
  int colorDialogs = 0;
};

#pragma once
// Remembers the position, size, state and visibility of the program's windows from
// one run to the next in a small text file beside the executable.

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

class TRestoreWin {
public:
  struct Node {
    int Top = 0, Left = 0, Width = 0, Height = 0;
    uint8_t WindowState = 0;  // 0 normal, 1 minimized, 2 maximized
    uint8_t Shown = 0;
    QString Name;
  };

  // A window the store can place and record.
  struct Window {
    QString name;
    std::function<QRect()> bounds;
    std::function<void(const QRect&, bool sizeable)> setBounds;
    std::function<uint8_t()> state;                 // in-memory WindowState
    std::function<void(uint8_t)> setState;
    std::function<bool()> showing;
    std::function<void()> show;
    // Whether the window came on screen in this run (unset: taken as yes). One that
    // never did keeps the entry read for it: its bounds and state were never the user's.
    std::function<bool()> shownInSession;
    bool designedPosition = true;
    bool sizeable = true;
  };

  static constexpr int Capacity = 40;

  // baseName: the executable's folder + its file name without extension.
  explicit TRestoreWin(const QString& baseName);

  bool Enabled = true;
  bool AutoShow = true;
  QString ExtName = "wst";

  QString PlacementFile() const;
  QList<Node> PlacementTable;
  int PlacementCount() const { return static_cast<int>(PlacementTable.size()); }

  // Windows owned by the application, in creation order.
  QList<Window> Windows;
  // The screen size used to keep windows on screen.
  std::function<QSize()> ScreenSize;

  void FormShowHook();   // the main window's show event
  void FormCloseHook();  // after the main window's close handler
  // Reading is silent on every error: the placements stay as far as read.
  void LoadFromFile();
  // Records every window and writes the file whole; a file that cannot be created
  // or written raises EInOutError (the old file stays).
  void SaveToFile();
  void ApplyToAllForms();
  void ApplyToForm(const Window& w);
  void RecordForm(const Window& w);
  QRect FitToScreen(QRect r, uint8_t state, bool sizeable) const;

  // The file's text form, CR LF line ends (what SaveToFile writes): at most Capacity
  // entries, whatever the table holds, so the file reads back as written.
  QByteArray Serialize() const;
  // Reads the file's text form into the table; stops silently at the first error.
  void Parse(const QByteArray& content);

private:
  // The first entry with the name: a name the file holds twice is applied and
  // recorded through the same entry.
  Node* Find(const QString& name);
  const Node* Find(const QString& name) const;
  QString base_;
  bool first_show_ = true;
};

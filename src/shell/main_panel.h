#pragma once
// The main window: the MDI frame with the menu bar, the three-panel status bar and
// the progress gauge; it switches the panels between shown MDI child and hidden.

#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QProgressBar>
#include <QSize>
#include <QStatusBar>
#include <memory>
#include <optional>

#include "kit/form.h"
#include "link/chip_definition_listener.h"
#include "link/refresh_views.h"

class Bench;
class TRestoreWin;
class QAction;
class QMenu;

// A status bar of three text panels; panels 0 and 1 take a third of the width each,
// panel 2 its design width of 50, wider only for a text that would not fit. The bar
// beyond panel 2 stays empty.
class TStatusBar : public QStatusBar {
  Q_OBJECT
public:
  explicit TStatusBar(QWidget* parent = nullptr);
  void SetText(int panel, const QString& text);
  QString Text(int panel) const;
  // The width the bar gives the panel.
  int PanelWidth(int panel) const;
  void FitPanels();
  static constexpr int Panel2Width = 50;

protected:
  void resizeEvent(QResizeEvent* e) override;

private:
  QLabel* panels_[3];
};

// The main window's frame: the MDI area, the menu bar, the status bar and the gauge,
// the panel switching, the caption file, and the menu commands that work on the
// chip alone. The program object (app/) completes it with the start-up and close
// steps, the configuration file and the menu table.
class TMainPanel : public QMainWindow, public FormHandlers, public ChipDefinitionListener {
  Q_OBJECT
public:
  explicit TMainPanel(Bench& program);
  ~TMainPanel() override;

  // The size the main window opens with before a placement is restored: room for the
  // widest panels (the I/Q and body-fat tests) whole, on a 1,366 x 768 screen.
  static constexpr QSize FirstSize{1280, 720};

  Bench& P;

  void FormCreate() override;

  // Panel switching: show makes the form an MDI child at its saved bounds.
  void ShowPanel(QWidget* form, int index, bool show);
  // A menu opener: the first opening in a run puts the panel at 0,0.
  void OpenPanel(QWidget* form, int index);

  // F9 05: the firmware name, nothing when the exchange failed.
  std::optional<QString> FirmwareName();
  // The windows refreshed after Read Chip and a connect: all but the wave viewer
  // (the register reads and loads refresh every one).
  static constexpr RefreshViews ReadChipViews = RefreshViews::All().Without(RefreshView::WaveViewer);

  // A menu item by component name (submenus by the name of their bar item).
  QAction* MenuItem(const QString& name) const;
  // Builds the menu table: an item of `menu` (a menu or the bar itself), and a
  // submenu of the bar, each under its component name.
  QAction* AddItem(QWidget* menu, const QString& name, const QString& caption, bool visible);
  QMenu* AddMenu(const QString& name, const QString& caption, bool visible);

  // Chip definition: which menu items the chip offers.
  void ParseStarted() override;
  void DefinitionOpened() override;
  void KeywordMet(uint16_t code) override;
  void AccessLine(const QString& rawLine) override;

  QMdiArea* MdiArea = nullptr;
  TStatusBar* StatusBar1 = nullptr;
  QProgressBar* Gauge1 = nullptr;
  QMenuBar* MainMenu1 = nullptr;
  TRestoreWin* RestoreWin1 = nullptr;

  struct _FFM {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool Placed = false;
  };
  _FFM PanelRecords[20];

  // The caption file exists but could not be read: the built-in caption is used.
  bool CaptionUnread() const { return captionUnread_; }

  // Menu handlers.
  void Menu_ReadChipClick();
  // Read Chip (also run by the auxiliary-chip download, which then tests ReadDone).
  void Menu_ReadRAMClick();
  void Menu_ReadREGClick();
  void SaveTableClick();
  void SaveREGClick();
  void LoadREGClick();
  void LoadVI52R7718Click();
  void SLEEP1Click();

protected:
  void showEvent(QShowEvent* e) override;

private:
  void ShowItems(std::initializer_list<const char*> names, bool visible);
  std::unique_ptr<TRestoreWin> restore_;
  bool captionUnread_ = false;
};

#pragma once
// Controls of the register and memory views: a string grid whose cells the owner
// colours (text always centred), and the clickable tab panels of their tool bars.

#include <QColor>
#include <QHBoxLayout>
#include <QLabel>
#include <QTableWidget>
#include <QToolButton>
#include <functional>

// Colours of the classic control palette.
namespace ViewColor {
inline const QColor ButtonFace{0xF0, 0xF0, 0xF0};
inline const QColor Silver{0xC0, 0xC0, 0xC0};
inline const QColor Blue{0x00, 0x00, 0xFF};
inline const QColor Yellow{0xFF, 0xFF, 0x00};
inline const QColor Green{0x00, 0x80, 0x00};
inline const QColor Red{0xFF, 0x00, 0x00};
inline const QColor Lime{0x00, 0xFF, 0x00};
// A stored 32-bit colour value (00BBGGRR) as a colour.
inline QColor FromColorRef(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
inline uint32_t ToColorRef(const QColor& c) {
  return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
         (static_cast<uint32_t>(c.blue()) << 16);
}
}  // namespace ViewColor

struct CellStyle {
  QColor Text = Qt::black;
  QColor Background = Qt::white;
  bool Underline = false;
  bool operator==(const CellStyle&) const = default;
};

// The usual change mark: white on blue.
inline CellStyle ChangedStyle() { return {Qt::white, ViewColor::Blue}; }

// A grid of text cells addressed (column, row). The grid never edits: typed
// characters go to KeyPress and nowhere else; arrows move the current cell.
class TStringGrid : public QTableWidget {
  Q_OBJECT
public:
  TStringGrid(const QString& name, int cols, int rows, QWidget* parent = nullptr);

  int ColCount() const { return columnCount(); }
  int RowCount() const { return rowCount(); }
  void SetColCount(int n) { setColumnCount(n); }
  void SetRowCount(int n) { setRowCount(n); }
  // Empty for a cell outside the grid; writes outside the grid are ignored.
  QString Cell(int col, int row) const;
  void SetCell(int col, int row, const QString& text);
  // Every row the same height, every column the same width unless set apart.
  void SetRowHeights(int h);
  void SetColWidths(int w);

  // The cell under the last mouse press, (-1, -1) before any.
  QPoint MouseCell() const { return mouseCell_; }
  void SetMouseCell(int col, int row) { mouseCell_ = QPoint(col, row); }
  // A cell's bottom-left corner in screen coordinates.
  QPoint CellBottomLeft(int col, int row) const;
  // Redraws every cell.
  void Repaint() { viewport()->update(); }

  // Colours of a cell, asked at every drawing.
  std::function<CellStyle(int col, int row)> StyleOf;
  // A character typed into the grid: Backspace '\b', Tab '\t', Enter '\r'. The owner
  // hands these two under its handler guard (GuardedSlot).
  std::function<void(QChar key)> KeyPress;
  // The grid lost the keyboard focus to another window or control (not to a menu).
  std::function<void()> FocusLeft;

  CellStyle Style(int col, int row) const { return StyleOf ? StyleOf(col, row) : CellStyle{}; }

signals:
  void DblClick();
  // The current cell moved from (prevCol, prevRow) to (col, row).
  void SelectCell(int col, int row, int prevCol, int prevRow);

protected:
  bool event(QEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

private:
  QPoint mouseCell_{-1, -1};
};

// A tab of a view's tool bar: a button with a caption, a bevel and a colour.
class TTabPanel : public QToolButton {
  Q_OBJECT
public:
  TTabPanel(const QString& name, const QString& caption, QWidget* parent = nullptr);
  // Raised inner bevel and the given colour, or lowered and button face.
  void SetRaised(bool raised, const QColor& color) { SetLook(raised, {Qt::black, color}); }
  void SetLook(bool raised, const CellStyle& style);
  bool Raised() const { return raised_; }
  QColor Color() const { return style_.Background; }
  CellStyle Look() const { return style_; }

private:
  bool raised_ = false;
  CellStyle style_;
};

// A view's tool bar of tab panels, left-aligned, at the top of the view's layout.
class TTabBar : public QWidget {
  Q_OBJECT
public:
  // Gives `form` a vertical layout that starts with the bar.
  explicit TTabBar(QWidget* form);
  TTabPanel* AddTab(const QString& name, const QString& caption);
  QVBoxLayout* FormLayout() const { return formLayout_; }

private:
  QHBoxLayout* layout_;
  QVBoxLayout* formLayout_;
};

#include "shell/view_controls.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// Draws each cell in the colours its grid's owner gives, text centred.
class OwnerDrawDelegate : public QStyledItemDelegate {
public:
  explicit OwnerDrawDelegate(TStringGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}
  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const CellStyle s = grid_->Style(index.column(), index.row());
    p->save();
    p->fillRect(option.rect, s.Background);
    QFont f = option.font;
    f.setUnderline(s.Underline);
    p->setFont(f);
    p->setPen(s.Text);
    p->drawText(option.rect, Qt::AlignCenter, index.data().toString());
    if (option.state & QStyle::State_HasFocus) {
      p->setPen(QPen(Qt::black, 1, Qt::DotLine));
      p->drawRect(option.rect.adjusted(0, 0, -1, -1));
    }
    p->restore();
  }

private:
  TStringGrid* grid_;
};

QChar KeyChar(const QKeyEvent* k) {
  switch (k->key()) {
    case Qt::Key_Backspace: return '\b';
    case Qt::Key_Tab: return '\t';
    case Qt::Key_Return:
    case Qt::Key_Enter: return '\r';
    default: break;
  }
  const QString t = k->text();
  return t.size() == 1 && t[0].isPrint() ? t[0] : QChar();
}

}  // namespace

TStringGrid::TStringGrid(const QString& name, int cols, int rows, QWidget* parent)
    : QTableWidget(rows, cols, parent) {
  setObjectName(name);
  horizontalHeader()->hide();
  verticalHeader()->hide();
  verticalHeader()->setMinimumSectionSize(8);
  horizontalHeader()->setMinimumSectionSize(8);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setTabKeyNavigation(false);
  setItemDelegate(new OwnerDrawDelegate(this));
  connect(this, &QTableWidget::currentCellChanged, this,
          [this](int row, int col, int prevRow, int prevCol) { emit SelectCell(col, row, prevCol, prevRow); });
}

QString TStringGrid::Cell(int col, int row) const {
  const QTableWidgetItem* i = item(row, col);
  return i ? i->text() : QString();
}

void TStringGrid::SetCell(int col, int row, const QString& text) {
  if (col < 0 || row < 0 || col >= columnCount() || row >= rowCount()) return;
  QTableWidgetItem* i = item(row, col);
  if (!i) {
    if (text.isEmpty()) return;
    setItem(row, col, new QTableWidgetItem(text));
  } else if (i->text() != text) {
    i->setText(text);
  }
}

void TStringGrid::SetRowHeights(int h) {
  verticalHeader()->setDefaultSectionSize(h);
  for (int r = 0; r < rowCount(); ++r) setRowHeight(r, h);
}

void TStringGrid::SetColWidths(int w) {
  horizontalHeader()->setDefaultSectionSize(w);
  for (int c = 0; c < columnCount(); ++c) setColumnWidth(c, w);
}

QPoint TStringGrid::CellBottomLeft(int col, int row) const {
  const QRect r = visualRect(model()->index(row, col));
  return viewport()->mapToGlobal(QPoint(r.left(), r.bottom() + 1));
}

bool TStringGrid::event(QEvent* e) {
  if (e->type() == QEvent::KeyPress) {
    const QChar c = KeyChar(static_cast<QKeyEvent*>(e));
    if (!c.isNull()) {
      if (KeyPress) KeyPress(c);
      return true;
    }
  }
  return QTableWidget::event(e);
}

void TStringGrid::mousePressEvent(QMouseEvent* e) {
  const QModelIndex i = indexAt(e->position().toPoint());
  mouseCell_ = i.isValid() ? QPoint(i.column(), i.row()) : QPoint(-1, -1);
  QTableWidget::mousePressEvent(e);
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent* e) {
  QTableWidget::mouseDoubleClickEvent(e);
  emit DblClick();
}

void TStringGrid::focusOutEvent(QFocusEvent* e) {
  QTableWidget::focusOutEvent(e);
  if (e->reason() != Qt::PopupFocusReason && FocusLeft) FocusLeft();
}

TTabPanel::TTabPanel(const QString& name, const QString& caption, QWidget* parent) : QToolButton(parent) {
  setObjectName(name);
  setText(caption);
  setMinimumWidth(56);
  setFocusPolicy(Qt::NoFocus);
  SetRaised(false, ViewColor::ButtonFace);
}

void TTabPanel::SetLook(bool raised, const CellStyle& style) {
  if (raised == raised_ && style == style_ && !styleSheet().isEmpty()) return;
  raised_ = raised;
  style_ = style;
  setStyleSheet(QStringLiteral("QToolButton { background: %1; color: %2; border: 2px %3 gray; padding: 1px 6px; }")
                    .arg(style.Background.name(), style.Text.name(), raised ? "outset" : "inset"));
}

TTabBar::TTabBar(QWidget* form) : QWidget(form) {
  setObjectName("ToolBar1");
  layout_ = new QHBoxLayout(this);
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setSpacing(1);
  layout_->addStretch(1);
  formLayout_ = new QVBoxLayout(form);
  formLayout_->setContentsMargins(2, 2, 2, 2);
  formLayout_->setSpacing(2);
  formLayout_->addWidget(this);
}

TTabPanel* TTabBar::AddTab(const QString& name, const QString& caption) {
  auto* tab = new TTabPanel(name, caption, this);
  layout_->insertWidget(layout_->count() - 1, tab);
  return tab;
}

#include "block_panels/diagram_canvas.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

#include "block_panels/panel_kit.h"

namespace {
constexpr int FontPixels = 11;

template <typename W>
W* Lay(W* w, const QString& name, const QRect& rect) {
  w->setObjectName(name);
  w->setGeometry(rect);
  return w;
}
}  // namespace

QRect SpotIn(const PanelSpots& spots, const QString& name) {
  for (const PanelSpot& s : spots)
    if (s.name == name) return s.rect;
  return {};
}

QColor DiagramBackground() { return QColor(0xf7, 0xf8, 0xf5); }

QWidget* CreateDiagramCanvas(QWidget* form, const QString& picture, QSize size) {
  auto* scroll = new QScrollArea(form);
  scroll->setObjectName("ScrollBox1");
  scroll->setFrameShape(QFrame::NoFrame);
  auto* layout = new QVBoxLayout(form);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll);
  auto* canvas = new QWidget;
  canvas->setObjectName("PanelDiagram");
  canvas->setFixedSize(size);
  QFont font = canvas->font();
  font.setPixelSize(FontPixels);
  canvas->setFont(font);
  scroll->setWidget(canvas);
  Lay(new TDiagramView(picture, canvas), "Image1", QRect(QPoint(0, 0), size));
  return canvas;
}

QLabel* SpotLabel(QWidget* parent, const QString& name, const QRect& rect, const QString& text) {
  auto* l = Lay(new QLabel(text, parent), name, rect);
  l->setAlignment(Qt::AlignCenter);
  return l;
}

QComboBox* SpotCodeCombo(QWidget* parent, const QString& name, const QRect& rect, int digits) {
  auto* c = Lay(new QComboBox(parent), name, rect);
  FillCodes(c, digits);
  return c;
}

TTogglePanel* SpotToggle(QWidget* parent, const QString& name, const QRect& rect, const QString& caption) {
  return Lay(new TTogglePanel(caption, parent), name, rect);
}

QLineEdit* SpotCodeDisplay(QWidget* parent, const QString& name, const QRect& rect, const QString& text) {
  auto* e = Lay(new QLineEdit(text, parent), name, rect);
  e->setReadOnly(true);
  e->setAlignment(Qt::AlignCenter);
  e->setFocusPolicy(Qt::NoFocus);
  QFont f("DejaVu Sans Mono");
  f.setStyleHint(QFont::Monospace);
  f.setPixelSize(FontPixels + 1);
  e->setFont(f);
  return e;
}

namespace {
// A cover that draws again the wires running through it, as the picture draws its wires:
// 1.5 pixels wide with round ends and corners.
class WireThroughCover : public QFrame {
public:
  WireThroughCover(QWidget* parent, const QPolygonF& wire) : QFrame(parent), wire_(wire) {}

protected:
  void paintEvent(QPaintEvent* e) override {
    QFrame::paintEvent(e);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(DiagramWire(), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(wire_.translated(-geometry().topLeft()));
  }

private:
  QPolygonF wire_;
};
}  // namespace

QColor DiagramWire() { return QColor(0x1d, 0x27, 0x31); }

QFrame* SpotCover(QWidget* parent, const QString& name, const QRect& rect, const QPolygonF& wire) {
  auto* f = Lay(wire.isEmpty() ? new QFrame(parent) : new WireThroughCover(parent, wire), name, rect);
  f->setFrameStyle(QFrame::NoFrame);
  QPalette pal = f->palette();
  pal.setColor(QPalette::Window, DiagramBackground());
  f->setPalette(pal);
  f->setAutoFillBackground(true);
  f->raise();
  return f;
}

QWidget* SpotCard(QWidget* parent, const QString& name, const QRect& rect, const QString& picture) {
  auto* card = Lay(new QWidget(parent), name, rect);
  Lay(new TDiagramView(picture, card), name + "Image", QRect(QPoint(0, 0), rect.size()));
  card->raise();
  return card;
}

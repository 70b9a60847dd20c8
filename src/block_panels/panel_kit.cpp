#include "block_panels/panel_kit.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QSvgRenderer>
#include <qdrawutil.h>

#include "common/handler_guard.h"
#include "common/reg_field.h"

// The pictures are compiled into the shell's static library; a reference to their
// registration keeps the linker from dropping them. At global scope, as the macro needs.
static int RegisterPanelPictures() {
  Q_INIT_RESOURCE(assets);
  return 0;
}

void EnsurePanelPictures() {
  static const int registered = RegisterPanelPictures();
  (void)registered;
}

namespace {
const char* const LookProperty = "panelLook";
constexpr qreal DisabledOpacity = 0.35;
constexpr int MaxComboDigits = 8;

QSvgRenderer* LoadPicture(const QString& picture, QObject* owner) {
  EnsurePanelPictures();
  return new QSvgRenderer(picture, owner);
}
}  // namespace

QString SwitchPicture(bool closed, GlyphAxis axis) {
  return QString(":/switch_%1_%2.svg").arg(closed ? "closed" : "open", axis == GlyphAxis::Horizontal ? "h" : "v");
}

QString ConverterPicture(int position) {
  return ":/input_converter_" + BinaryCode(PaintedPosition(position, 4), 2) + ".svg";
}

// ---- Pictures -------------------------------------------------------------------------

TDiagramView::TDiagramView(const QString& picture, QWidget* parent)
    : QWidget(parent), renderer_(LoadPicture(picture, this)) {
  resize(sizeHint());
}

bool TDiagramView::Valid() const { return renderer_->isValid(); }

QSize TDiagramView::sizeHint() const { return renderer_->defaultSize(); }

void TDiagramView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  renderer_->render(&p, rect());
}

TPictureButton::TPictureButton(const QString& picture, QWidget* parent)
    : QAbstractButton(parent), picture_(picture), renderer_(LoadPicture(picture, this)) {
  setFocusPolicy(Qt::NoFocus);
  resize(sizeHint());
}

bool TPictureButton::Valid() const { return renderer_->isValid(); }

QSize TPictureButton::sizeHint() const { return renderer_->defaultSize(); }

void TPictureButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (!isEnabled()) p.setOpacity(DisabledOpacity);
  renderer_->render(&p, rect());
  if (isDown()) p.fillRect(rect(), QColor(0, 0, 0, 40));
}

// ---- Looks ------------------------------------------------------------------------------

LookColours ColoursOf(Look look) {
  const QPalette pal = QApplication::palette();
  const QColor activeCaption = pal.color(QPalette::Active, QPalette::Highlight);
  const QColor window = pal.color(QPalette::Active, QPalette::Base);
  const QColor face = pal.color(QPalette::Active, QPalette::Button);
  switch (look) {
    case Look::ToggleOn: return {activeCaption, window};
    case Look::ToggleOffWindow: return {window, Qt::black};
    case Look::ToggleOffFace: return {face, Qt::black};
    case Look::Inverted: return {Qt::black, window};
    case Look::Normal: return {face, Qt::black};
    case Look::Indicator: return {Qt::blue, window};
  }
  return {face, Qt::black};
}

void ApplyLook(QWidget* w, Look look) {
  if (!w) return;
  LookColours c = ColoursOf(look);
  QPalette pal = w->palette();
  pal.setColor(QPalette::Window, c.background);
  pal.setColor(QPalette::WindowText, c.text);
  w->setAutoFillBackground(true);
  w->setPalette(pal);
  w->setProperty(LookProperty, static_cast<int>(look));
}

Look LookOf(const QWidget* w) {
  QVariant v = w ? w->property(LookProperty) : QVariant();
  return v.isValid() ? static_cast<Look>(v.toInt()) : Look::Normal;
}

void PaintToggle(QWidget* panel, int value, Look offLook) { ApplyLook(panel, value != 0 ? Look::ToggleOn : offLook); }

void PaintLit(QWidget* label, bool lit) { ApplyLook(label, lit ? Look::Inverted : Look::Normal); }

TTogglePanel::TTogglePanel(const QString& caption, QWidget* parent) : QAbstractButton(parent) {
  setText(caption);
  setFocusPolicy(Qt::NoFocus);
  ApplyLook(this, Look::ToggleOffFace);
}

QSize TTogglePanel::sizeHint() const {
  QSize t = fontMetrics().size(Qt::TextSingleLine, text());
  return {t.width() + 12, t.height() + 8};
}

void TTogglePanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Window));
  qDrawShadePanel(&p, rect(), palette(), isDown(), 1);
  if (!isEnabled()) p.setOpacity(DisabledOpacity + 0.25);
  p.setPen(palette().color(QPalette::WindowText));
  p.drawText(rect(), Qt::AlignCenter, text());
}

// ---- Glyph pairs -------------------------------------------------------------------------

void GlyphPair::Show(bool closedState) const {
  if (closed) closed->setVisible(closedState);
  if (open) open->setVisible(!closedState);
}

bool GlyphPair::IsClosed() const { return closed && !closed->isHidden(); }

void GlyphPair::SetEnabled(bool enabled) const {
  if (closed) closed->setEnabled(enabled);
  if (open) open->setEnabled(enabled);
}

GlyphPair MakeGlyphPair(QWidget* parent, const QString& closedName, const QString& openName, const QRect& rect,
                        GlyphAxis axis) {
  auto make = [&](bool closed, const QString& name) {
    auto* b = new TPictureButton(SwitchPicture(closed, axis), parent);
    b->setObjectName(name);
    b->setGeometry(rect);
    return b;
  };
  GlyphPair g{make(true, closedName), make(false, openName)};
  g.Show(false);
  return g;
}

// ---- Finding controls by name ----------------------------------------------------------

QObject* FindNoCase(const QObject* owner, const QString& name) {
  if (!owner) return nullptr;
  const auto all = owner->findChildren<QObject*>();
  for (QObject* o : all)
    if (o->objectName().compare(name, Qt::CaseInsensitive) == 0) return o;
  return nullptr;
}

std::vector<GlyphPair> GlyphPairsByName(const QObject* owner, const QString& closedPrefix,
                                        const QString& openPrefix, int first, int count) {
  std::vector<GlyphPair> pairs;
  for (int i = first; i < first + count; ++i) {
    QString n = QString::number(i);
    pairs.push_back({qobject_cast<QAbstractButton*>(FindNoCase(owner, closedPrefix + n)),
                     qobject_cast<QAbstractButton*>(FindNoCase(owner, openPrefix + n))});
  }
  return pairs;
}

std::vector<QLabel*> LabelsByName(const QObject* owner, const QString& prefix, int first, int count) {
  std::vector<QLabel*> labels;
  for (int i = first; i < first + count; ++i)
    labels.push_back(qobject_cast<QLabel*>(FindNoCase(owner, prefix + QString::number(i))));
  return labels;
}

// ---- Combo boxes -------------------------------------------------------------------------

void FillCodes(QComboBox* combo, int digits) {
  if (!combo) return;
  combo->clear();
  if (digits < 1) return;
  digits = std::min(digits, MaxComboDigits);
  for (int i = 0; i < (1 << digits); ++i) combo->addItem(BinaryCode(i, digits));
}

void SelectCode(QComboBox* combo, int value, int digits) {
  if (combo) combo->setCurrentIndex(combo->findText(BinaryCode(value, digits), Qt::MatchExactly));
}

void OnChoice(const ErrorShow& show, QComboBox* combo, QObject* context, std::function<void(int)> f) {
  QObject::connect(combo, &QComboBox::activated, context, GuardedSlot(show, std::move(f)));
}

int TakeChoice(QComboBox* combo, TRegField& f, int k) {
  int v = CheckedChoice(f, k);
  f.Value = static_cast<uint8_t>(v);
  if (v != k && combo) combo->setCurrentIndex(v);
  return v;
}

// ---- Views of the control kinds --------------------------------------------------------

void PositionSelectorView::Paint(int v) const {
  int p = PaintedPosition(v, Positions());
  PaintGlyphs(p);
  for (size_t i = 0; i < labels.size(); ++i)
    if (labels[i]) PaintLit(labels[i], static_cast<int>(i) == p);
  if (!combo) return;
  if (codeDigits > 0)
    SelectCode(combo, p, codeDigits);
  else
    combo->setCurrentIndex(p);
}

void PositionSelectorView::PaintGlyphs(int p) const {
  for (int i = 0; i < Positions(); ++i) glyphs[i].Show(i == p);
}

int PositionSelectorView::PositionOf(const QObject* o) const {
  for (int i = 0; i < Positions(); ++i)
    if (glyphs[i].Holds(o)) return i;
  return -1;
}

void PositionSelectorView::OnPick(const ErrorShow& show, QObject* context, std::function<void(int)> f) const {
  for (int i = 0; i < Positions(); ++i)
    for (QAbstractButton* b : {glyphs[i].closed, glyphs[i].open})
      if (b) QObject::connect(b, &QAbstractButton::clicked, context, GuardedSlot(show, [f, i] { f(i); }));
}

void SwitchBankView::Paint(int value, int width, int first) const {
  for (int i = 0; i < width && i < 31; ++i) {
    size_t e = static_cast<size_t>(first + i);
    if (e >= glyphs.size()) break;
    bool set = ((value >> i) & 1) != 0;
    glyphs[e].Show(set);
    if (e < labels.size() && labels[e]) PaintLit(labels[e], set);
  }
}

void SwitchBankView::OnClick(const ErrorShow& show, QObject* context, std::function<void(int, bool)> f) const {
  for (size_t e = 0; e < glyphs.size(); ++e) {
    int entry = static_cast<int>(e);
    if (glyphs[e].closed)
      QObject::connect(glyphs[e].closed, &QAbstractButton::clicked, context, GuardedSlot(show, [f, entry] { f(entry, true); }));
    if (glyphs[e].open)
      QObject::connect(glyphs[e].open, &QAbstractButton::clicked, context, GuardedSlot(show, [f, entry] { f(entry, false); }));
  }
}

void CodeSelectorView::Paint(int item, const QString& text) const {
  if (caption) caption->setText(text);
  if (combo) combo->setCurrentIndex(item >= 0 && item < combo->count() ? item : -1);
}

void ShowOnly(const std::vector<QWidget*>& pictures, int v) {
  int p = PaintedPosition(v, static_cast<int>(pictures.size()));
  for (size_t i = 0; i < pictures.size(); ++i)
    if (pictures[i]) pictures[i]->setVisible(static_cast<int>(i) == p);
}

// ---- Controls bound to a field ---------------------------------------------------------

void BoundSelector::Refresh(const TMx_UP& up, Repaint when) const {
  if (RefreshField(up, field, when)) Paint();
}

void BoundSelector::Pick(TMx_UP& up, int i, bool storeAndPaint) const {
  if (storeAndPaint) {
    field.Value = static_cast<uint8_t>(i);
    Paint();
  }
  WriteField(up, field, i);
}

int BoundSelector::Choose(TMx_UP& up, int k) const {
  int v = TakeChoice(view.combo, field, k);
  WriteField(up, field, v);
  return v;
}

void BoundBank::Refresh(const TMx_UP& up) const {
  RefreshField(up, field, Repaint::Always);
  view.Paint(field.Value, field.Width, first);
}

void BoundBank::Click(TMx_UP& up, int entry, bool closedGlyph) const {
  int bit = entry - first;
  if (bit < 0 || bit >= field.Width) return;
  WriteFieldBit(up, field, bit, closedGlyph ? BitOp::Clear : BitOp::Set);
}

void BoundToggle::Refresh(const TMx_UP& up, Repaint when) const {
  if (RefreshField(up, field, when)) PaintToggle(panel, field.Value, offLook);
}

void BoundToggle::InvertCached(TMx_UP& up) const {
  field.Value = ToggledValue(field.Value);
  WriteField(up, field, field.Value);
}

void BoundToggle::InvertBit(TMx_UP& up) const { WriteFieldBit(up, field, 0, BitOp::Invert); }

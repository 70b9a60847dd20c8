#pragma once
// The widget kit of the block panels: the block-diagram picture, the two-state picture
// buttons that show a switch as closed or open, the captioned toggle panels, the looks
// of toggles and labels, the views of the control kinds (one-of-N selectors, switch
// banks, code selectors) that paint a field value, and those views bound to a field.
// The field arithmetic and the writes are in field_binding.h.

#include <QAbstractButton>
#include <QColor>
#include <QString>
#include <functional>
#include <vector>

#include "block_panels/field_binding.h"
#include "common/handler_guard.h"

class QComboBox;
class QLabel;
class QSvgRenderer;
class TMx_UP;

// ---- Pictures -------------------------------------------------------------------------

namespace PanelPictures {
inline const char AdcDiagram[] = ":/adc_block_diagram.svg";
}  // namespace PanelPictures

enum class GlyphAxis { Horizontal, Vertical };

// Resource path of the closed or open switch glyph drawn along an axis.
QString SwitchPicture(bool closed, GlyphAxis axis);
// Resource path of the input-converter picture of a position 0..3 ("00".."11").
QString ConverterPicture(int position);

// Makes the pictures compiled into the program reachable (the resource lives in a static
// library). Every kit widget calls it; calling it again is harmless.
void EnsurePanelPictures();

// A picture from the resources, drawn to fill the widget: the panel's block diagram.
class TDiagramView : public QWidget {
  Q_OBJECT
public:
  TDiagramView(const QString& picture, QWidget* parent = nullptr);
  bool Valid() const;
  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent* e) override;

private:
  QSvgRenderer* renderer_;
};

// A flat two-state picture button: its picture, drawn faded while disabled (a disabled
// button ignores clicks but is still shown and repainted).
class TPictureButton : public QAbstractButton {
  Q_OBJECT
public:
  TPictureButton(const QString& picture, QWidget* parent = nullptr);
  QString Picture() const { return picture_; }
  bool Valid() const;
  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent* e) override;

private:
  QString picture_;
  QSvgRenderer* renderer_;
};

// ---- Looks ------------------------------------------------------------------------------

// The looks of toggle panels and labels, in the platform's colours:
//   ToggleOn         active-caption background, window-colour text
//   ToggleOffWindow  window-colour background, black text (the ADC panel's refresh)
//   ToggleOffFace    button-face background, black text (every other toggle-off paint)
//   Inverted         black background, window-colour text (selected position, set bit)
//   Normal           button-face background, black text
//   Indicator        blue background, window-colour text (a flag that is set)
enum class Look { ToggleOn, ToggleOffWindow, ToggleOffFace, Inverted, Normal, Indicator };

struct LookColours {
  QColor background;
  QColor text;
};
LookColours ColoursOf(Look look);

// Paints a panel or label in a look (background filled, text colour set).
void ApplyLook(QWidget* w, Look look);
// The look last applied to w (Normal when none was).
Look LookOf(const QWidget* w);

// A toggle panel painted from a field value: not 0 is on, else the off look given.
void PaintToggle(QWidget* panel, int value, Look offLook = Look::ToggleOffFace);
// A label lit (inverted) while a condition holds, else in the normal look.
void PaintLit(QWidget* label, bool lit);

// A captioned panel with a raised bevel that takes clicks like a button: the toggle
// panels ("ENADC", "CMFR", ...). Starts in the ToggleOffFace look.
class TTogglePanel : public QAbstractButton {
  Q_OBJECT
public:
  TTogglePanel(const QString& caption, QWidget* parent = nullptr);
  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent* e) override;
};

// ---- Glyph pairs -------------------------------------------------------------------------

// A switch spot: the closed and the open glyph on the same rectangle; one is visible.
struct GlyphPair {
  QAbstractButton* closed = nullptr;
  QAbstractButton* open = nullptr;

  // Closed glyph visible and open hidden, or the reverse.
  void Show(bool closedState) const;
  bool IsClosed() const;  // the closed glyph is the visible one
  void SetEnabled(bool enabled) const;
  bool Holds(const QObject* o) const { return o && (o == closed || o == open); }
};

// Creates the two glyphs of a switch spot as children of parent, named closedName and
// openName, both on rect; the open glyph shows, the closed one is hidden.
GlyphPair MakeGlyphPair(QWidget* parent, const QString& closedName, const QString& openName, const QRect& rect,
                        GlyphAxis axis);

// ---- Finding controls by name ----------------------------------------------------------

// The first descendant of owner whose objectName equals name without regard to case.
QObject* FindNoCase(const QObject* owner, const QString& name);

// Glyph pairs found by name, prefix + decimal index for index first .. first + count - 1
// ("btnDapsOn0".."btnDapsOn3"); a glyph that does not exist or is no button stays null.
std::vector<GlyphPair> GlyphPairsByName(const QObject* owner, const QString& closedPrefix,
                                        const QString& openPrefix, int first, int count);
// Labels found likewise ("lblDaps_0".."lblDaps_3"); missing ones stay null.
std::vector<QLabel*> LabelsByName(const QObject* owner, const QString& prefix, int first, int count);

// ---- Combo boxes -------------------------------------------------------------------------

// Replaces the items by the binary codes of 0 .. 2^digits - 1 ("00".."11").
void FillCodes(QComboBox* combo, int digits);
// Selects the item whose text is the binary code of value with `digits` digits; no item
// when none is.
void SelectCode(QComboBox* combo, int value, int digits);
// Calls f(index) when the user picks an item (not when a paint selects one); an error
// it raises is shown on `show`.
void OnChoice(const ErrorShow& show, QComboBox* combo, QObject* context, std::function<void(int)> f);
// The combo choice k of a field checked against its range: when it fits, the cached value
// becomes k; when not, the combo goes back to the cached value. Returns the value to write.
int TakeChoice(QComboBox* combo, TRegField& f, int k);

// ---- Views of the control kinds --------------------------------------------------------

// One-of-N selector: a glyph pair and (optionally) a label per position, and a combo of
// the positions' codes.
struct PositionSelectorView {
  std::vector<GlyphPair> glyphs;
  std::vector<QLabel*> labels;  // empty, or one per position (null entries allowed)
  QComboBox* combo = nullptr;   // may be null
  // 0: the combo's item index is the position. Above 0: the combo holds only the codes
  // the chip definition offers, and the item whose text is the position's code of this
  // many digits is selected.
  int codeDigits = 0;

  int Positions() const { return static_cast<int>(glyphs.size()); }
  // Paints value v: a v outside the positions paints as 0; the position's glyph closed
  // and its label inverted, every other open and normal; the combo shows the position.
  void Paint(int v) const;
  // Glyphs only: position p closed, all others open (none closed when p is no position).
  void PaintGlyphs(int p) const;
  // The position whose glyph is o; -1 when o is none of them.
  int PositionOf(const QObject* o) const;
  // Calls f(position) when either glyph of a position is clicked.
  void OnPick(const ErrorShow& show, QObject* context, std::function<void(int)> f) const;
};

// Switch bank: bit i of a field drives the glyph pair (and label) i.
struct SwitchBankView {
  std::vector<GlyphPair> glyphs;
  std::vector<QLabel*> labels;  // empty, or one per switch (null entries allowed)

  // Paints bits 0 .. width - 1 of value on the entries from `first` on: bit set = closed
  // glyph and inverted label, clear = open glyph and normal label. Entries beyond the
  // bank are not touched.
  void Paint(int value, int width, int first = 0) const;
  // Calls f(entry, closedGlyph) when a glyph of an entry is clicked: closedGlyph is true
  // for the closed glyph (the click opens the switch), false for the open one.
  void OnClick(const ErrorShow& show, QObject* context, std::function<void(int entry, bool closedGlyph)> f) const;
};

// Code selector: a combo of codes and a caption derived from the value.
struct CodeSelectorView {
  QComboBox* combo = nullptr;
  QLabel* caption = nullptr;

  // Caption text set and combo item `item` selected (no item when out of range).
  void Paint(int item, const QString& text) const;
};

// Indicator pictures: only the picture of value v is visible (v outside them paints 0).
void ShowOnly(const std::vector<QWidget*>& pictures, int v);

// ---- Controls bound to a field ---------------------------------------------------------
// Each holds a reference to its field descriptor, so a panel binds whatever descriptor
// the chip definition fills. Writes go through WriteReg, whose refresh chain repaints.

// A one-of-N selector bound to its field.
struct BoundSelector {
  TRegField& field;
  PositionSelectorView view;

  // DataUpdate step: field read into the cached value, painted as `when` says.
  void Refresh(const TMx_UP& up, Repaint when) const;
  // Paints the cached value.
  void Paint() const { view.Paint(field.Value); }
  // Click on position i: with storeAndPaint the cached value becomes i and is painted
  // first; then i is written.
  void Pick(TMx_UP& up, int i, bool storeAndPaint) const;
  // Combo choice k: range checked (TakeChoice), then the checked value is written and
  // returned.
  int Choose(TMx_UP& up, int k) const;
};

// A switch bank bound to its field: bit i drives entry first + i.
struct BoundBank {
  TRegField& field;
  SwitchBankView view;
  int first = 0;

  // DataUpdate step: field read into the cached value and painted.
  void Refresh(const TMx_UP& up) const;
  // Click on a glyph of an entry: the closed glyph clears its bit, the open glyph sets
  // it, written at once. Entries whose bit lies at or above the field's width do nothing.
  void Click(TMx_UP& up, int entry, bool closedGlyph) const;
};

// A toggle panel bound to a one-bit field.
struct BoundToggle {
  TRegField& field;
  QWidget* panel;
  Look offLook = Look::ToggleOffFace;

  // DataUpdate step: field read into the cached value, painted as `when` says.
  void Refresh(const TMx_UP& up, Repaint when = Repaint::Always) const;
  // Inverts the cached value (0 becomes 1, anything else 0) and writes it.
  void InvertCached(TMx_UP& up) const;
  // Inverts the field's bit in the shadow byte and writes it, whatever was painted.
  void InvertBit(TMx_UP& up) const;
};

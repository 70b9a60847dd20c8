#pragma once
// Plain named controls for windows whose look comes later: each control gets its
// component name as objectName and a place on a simple grid of rows, so code and
// tests can reach it. Later work lays the windows out properly.

#include <QString>
#include <QStringList>
#include <initializer_list>
#include <vector>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QObject;
class QWidget;

// Shows or hides, enables or disables the named controls of a window.
void SetNamedVisible(QObject* owner, std::initializer_list<const char*> names, bool visible);
void SetNamedEnabled(QObject* owner, std::initializer_list<const char*> names, bool enabled);

// Selects item `index` of a combo, or none when the index is out of its range; no
// handler runs (handlers run on the user's choices).
void SelectItem(QComboBox* box, int index);

// A caption before its control: a label aligned right and centred vertically.
QLabel* CaptionLabel(QWidget* parent, const QString& text);

class PlainControls {
public:
  // Places the controls on `host` from its top-left corner.
  explicit PlainControls(QWidget* host);
  PlainControls(QWidget* host, int left, int top);
  // Continues on the next row.
  void NewRow();

  // A switch glyph: a small flat two-state button.
  QWidget* Glyph(const QString& name);
  // Glyphs prefix + index for index = from .. to.
  std::vector<QWidget*> Glyphs(const QString& prefix, int from, int to);
  QLabel* Label(const QString& name, const QString& text = {});
  // Labels prefix + index (index formatted by `digits`, 0 = as it is) for from .. to.
  std::vector<QLabel*> Labels(const QString& prefix, int from, int to, int digits = 0);
  // A captioned panel (a toggle or a caption box).
  QLabel* Panel(const QString& name, const QString& caption);
  // A container panel; controls placed into it by a PlainControls of its own.
  QFrame* Frame(const QString& name, int width, int height);
  // A borderless cover panel.
  QFrame* Cover(const QString& name);
  QComboBox* Combo(const QString& name, const QStringList& items = {});
  QPushButton* Button(const QString& name, const QString& caption);

  // The binary codes "0..0" .. "1..1" of `digits` digits.
  static QStringList Codes(int digits);

private:
  QWidget* Place(QWidget* w, int width, int height);
  QWidget* host_;
  int left_, x_, y_, rowHeight_ = 0;
};

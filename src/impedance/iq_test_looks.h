#pragma once
// The colours the I/Q test's buttons and inputs take while they are locked or running.

#include <QColor>
#include <QPalette>
#include <QWidget>
#include <initializer_list>
#include <utility>

namespace iq_looks {

inline const QColor MedGray{0xA0, 0xA0, 0xA4};  // a CAP TEST that cannot start yet
inline const QColor Light3D{0xE3, 0xE3, 0xE3};  // inputs locked by a run

inline void Paint(QWidget* w, std::initializer_list<std::pair<QPalette::ColorRole, QColor>> colours) {
  QPalette p = w->palette();
  for (const auto& [role, colour] : colours) p.setColor(role, colour);
  w->setPalette(p);
}

// Back to the colours the widget inherits.
inline void Unpaint(QWidget* w) { w->setPalette(QPalette()); }

// A CAP TEST that cannot start yet: medium gray, its caption still legible.
inline void PaintUnavailable(QWidget* w) {
  QPalette p = w->palette();
  p.setColor(QPalette::Button, MedGray);
  p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x40, 0x40, 0x40));
  w->setPalette(p);
}

// The running look: the active caption's colour with the window colour as text.
inline void PaintRunning(QWidget* w) {
  const QPalette& pal = w->palette();
  Paint(w, {{QPalette::Button, pal.color(QPalette::Active, QPalette::Highlight)},
            {QPalette::ButtonText, pal.color(QPalette::Active, QPalette::Base)}});
}

}  // namespace iq_looks

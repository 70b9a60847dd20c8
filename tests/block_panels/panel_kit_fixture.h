#pragma once
// A host window with a selector and a switch bank of the block panels' kit, and a
// user's pick in a combo box, for the kit tests.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QWidget>

#include "block_panels/field_binding.h"
#include "block_panels/panel_kit.h"

// A user's pick in a combo box (a paint selects without this signal).
inline void Choose(QComboBox* combo, int index) {
  combo->setCurrentIndex(index);
  emit combo->activated(index);
}

// A host window with a selector of n positions and a switch bank of n switches.
struct KitFixture {
  explicit KitFixture(int n) {
    for (int i = 0; i < n; ++i) {
      QRect spot(40, 16 * i, 30, 14);
      QString code = BinaryCode(i, 4);
      selector.glyphs.push_back(MakeGlyphPair(&host, "S" + code + "on", "S" + code + "off", spot, GlyphAxis::Horizontal));
      auto* label = new QLabel(QString("IN%1").arg(i), &host);
      label->setObjectName(QString("LS%1").arg(i));
      selector.labels.push_back(label);
      bank.glyphs.push_back(MakeGlyphPair(&host, QString("btnBankOn%1").arg(i), QString("btnBankOff%1").arg(i),
                                          spot.translated(100, 0), GlyphAxis::Vertical));
    }
    combo = new QComboBox(&host);
    FillCodes(combo, 4);
    selector.combo = combo;
  }
  int ClosedPosition() const {
    int closed = -1;
    for (int i = 0; i < selector.Positions(); ++i) {
      const GlyphPair& g = selector.glyphs[i];
      EXPECT_NE(g.closed->isHidden(), g.open->isHidden()) << "exactly one glyph of a pair shows";
      if (g.IsClosed()) {
        EXPECT_EQ(closed, -1) << "more than one position closed";
        closed = i;
      }
    }
    return closed;
  }
  QWidget host;
  PositionSelectorView selector;
  SwitchBankView bank;
  QComboBox* combo = nullptr;
};

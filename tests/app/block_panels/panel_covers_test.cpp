// The covers of the op-amp and DAC panels, checked on the rendered diagrams: a field the
// chip definition leaves out leaves nothing of its part of the picture (no glyph, label
// box, heading, wire stub or junction dot), while the wires that stay run on unbroken.
// The regions are read off the pictures' drawings (assets/*.svg), not off the covers.
// Then by component names: which covers show, and which controls lie disabled under them.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <iterator>

#include "app/block_panels/block_panel_fixture.h"
#include "block_panels/dac_panel.h"
#include "block_panels/diagram_canvas.h"
#include "block_panels/opamp_panel.h"

namespace {

QRect Span(int left, int top, int right, int bottom) { return QRect(QPoint(left, top), QPoint(right, bottom)); }

// Parts of the op-amp diagram.
const QRect Net1Part = Span(604, 234, 686, 322);  // heading, bus, switch rows and N4..N7
const QRect Rfb2Parts[] = {
    Span(594, 259, 606, 490),  // the loop down from OP2's output
    Span(497, 462, 612, 520),  // resistor, caption, code combo and its read-out
    Span(498, 274, 510, 490),  // the loop up to the inverting input
    Span(501, 267, 507, 270),  // the top of the input junction's dot
};
// The top of the junction's dot on OP2's output: the RFB2 loop and NET1's wire meet there.
const QRect Op2OutputDot = Span(597, 252, 603, 255);
const QRect Op2Lead = Span(592, 252, 603, 262);  // OP2's output lead, both fields' wire
// Right of the RFB2 loop's column on OP2's output: the junction dot's right half and the
// wire on to NET1, both NET1's.
const QRect Op2Net1Junction = Span(601, 253, 603, 257);
const QRect Rfb2LoopTop = Span(599, 258, 600, 263);  // the loop's first rows down from the lead
const QRect RfbParts[] = {Span(226, 259, 238, 452), Span(129, 427, 245, 480), Span(130, 274, 142, 452),
                          Span(229, 252, 235, 255), Span(133, 267, 139, 270)};
// Wires that stay whatever the definition: rows 256..257 of the outputs, 271..272 of the
// inverting inputs; all their columns look alike unless a dot or a gap is on them.
struct Wire {
  int left, right, row;
};
const Wire Op2Input{485, 524, 271}, Op2Output{592, 621, 256}, Op1Input{117, 156, 271}, Op1Output{224, 264, 256};
// The output selectors of the DAC panels: heading to the last position, the latch's lead
// on to the bus, the code combo and its field.
const QRect DaoeParts[] = {Span(366, 110, 474, 204), Span(349, 131, 364, 145), Span(410, 216, 467, 237)};
const QRect Daoe2Parts[] = {Span(862, 110, 970, 204), Span(845, 131, 860, 145), Span(906, 216, 963, 237)};

class PanelCovers : public BlockPanelTest {
protected:
  // The shipped definition without the named fields.
  void ParseWithout(const QStringList& fields) {
    QFile f(QString(MX_DATA_DIR) + "/Include/MX7406.INC");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray kept;
    for (const QByteArray& line : f.readAll().split('\n')) {
      const QList<QByteArray> words = line.simplified().split(' ');
      if (words.size() > 1 && fields.contains(QString::fromLatin1(words[1]))) continue;
      kept += line + '\n';
    }
    ParseOwn(kept);
  }
  static QImage Render(QWidget* panel) {
    auto* canvas = panel->findChild<QWidget*>("PanelDiagram");
    EXPECT_NE(canvas, nullptr);
    return canvas ? canvas->grab().toImage().convertToFormat(QImage::Format_RGB32) : QImage();
  }
  static bool Blank(const QImage& img, const QRect& r) {
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x)
        if (img.pixelColor(x, y) != DiagramBackground()) return false;
    return true;
  }
  // Drawn through: inked, and every column of its two rows as the first (a wire drawn
  // again over a junction's cover may differ by a level of antialiasing; a dot's core
  // or a gap differs by far more).
  static bool Unbroken(const QImage& img, const Wire& w) {
    auto alike = [](QRgb a, QRgb b) {
      return std::abs(qRed(a) - qRed(b)) <= 3 && std::abs(qGreen(a) - qGreen(b)) <= 3 &&
             std::abs(qBlue(a) - qBlue(b)) <= 3;
    };
    for (int y : {w.row, w.row + 1})
      for (int x = w.left; x <= w.right; ++x)
        if (!alike(img.pixel(x, y), img.pixel(w.left, y))) return false;
    return img.pixelColor(w.left, w.row) != DiagramBackground();
  }
  static void ExpectParts(const QImage& img, const QRect* parts, size_t n, bool shown) {
    for (size_t i = 0; i < n; ++i) EXPECT_EQ(!Blank(img, parts[i]), shown) << "part " << i;
  }
  // Every row of the region has ink: a wire runs through it.
  static bool InkedRows(const QImage& img, const QRect& r) {
    for (int y = r.top(); y <= r.bottom(); ++y)
      if (Blank(img, QRect(r.left(), y, r.width(), 1))) return false;
    return true;
  }
};

TEST_F(PanelCovers, OpampFieldsLeftOutLeaveNothingOfTheirPart) {
  struct Case {
    QStringList without;
    bool net1, rfb2, lead, rfb;
  };
  const Case cases[] = {
      {{}, true, true, true, true},
      {{"OP2NET1", "RFB2"}, false, false, false, true},
      {{"RFB2"}, true, false, true, true},
      {{"OP2NET1"}, false, true, true, true},
      {{"RFB"}, true, true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.without.join(",").toStdString());
    ParseWithout(c.without);
    const QImage img = Render(prog->OPForm);
    EXPECT_EQ(!Blank(img, Net1Part), c.net1);
    ExpectParts(img, Rfb2Parts, std::size(Rfb2Parts), c.rfb2);
    EXPECT_EQ(!Blank(img, Op2Lead), c.lead);
    ExpectParts(img, RfbParts, std::size(RfbParts), c.rfb);
    // A loop's junction dot sits on the inverting input while the loop is drawn; without
    // it the input runs on plain. OP2's output runs on plain to NET1 without RFB2.
    EXPECT_EQ(Unbroken(img, Op2Input), !c.rfb2);
    EXPECT_EQ(Unbroken(img, Op1Input), !c.rfb);
    EXPECT_EQ(Unbroken(img, Op1Output), !c.rfb);
    if (c.net1) {
      EXPECT_EQ(Unbroken(img, Op2Output), !c.rfb2);
    }
    // Without NET1 no dot and no stub on to it: the lead turns down into the loop.
    EXPECT_EQ(!Blank(img, Op2OutputDot), c.net1 && c.rfb2);
    EXPECT_EQ(!Blank(img, Op2Net1Junction), c.net1);
    EXPECT_EQ(Unbroken(img, {592, 596, 256}), c.lead);
    EXPECT_EQ(InkedRows(img, Rfb2LoopTop), c.rfb2);
  }
}

TEST_F(PanelCovers, DacOutputSelectorLeftOutLeavesNothing) {
  struct Case {
    QStringList without;
    bool daoe, daoe2;
  };
  for (const Case& c : {Case{{}, true, true}, Case{{"DAOE2"}, true, false}, Case{{"DAOE"}, false, true},
                        Case{{"DAOE", "DAOE2"}, false, false}}) {
    SCOPED_TRACE(c.without.join(",").toStdString());
    ParseWithout(c.without);
    const QImage img = Render(prog->DACForm);
    ExpectParts(img, DaoeParts, std::size(DaoeParts), c.daoe);
    ExpectParts(img, Daoe2Parts, std::size(Daoe2Parts), c.daoe2);
  }
}

// The same by component names: which covers show, and which controls lie disabled under
// a shown cover (a cover lies above what it hides and holds its whole spot).
class PanelCoverNames : public PanelCovers {
protected:
  static QStringList ShownCovers(QWidget* panel) {
    QStringList shown;
    for (QWidget* w : panel->findChildren<QWidget*>())
      if (w->objectName().startsWith("pnlCover") && !w->isHidden()) shown << w->objectName();
    shown.sort();
    return shown;
  }
  bool Covered(QWidget* panel, const QString& name) const {
    auto* w = Find<QWidget>(panel, name);
    if (!w) return false;
    const QObjectList& layers = w->parent()->children();
    for (qsizetype i = layers.indexOf(w) + 1; i < layers.size(); ++i) {
      auto* cover = qobject_cast<QWidget*>(layers[i]);
      if (cover && cover->objectName().startsWith("pnlCover") && !cover->isHidden() &&
          cover->geometry().contains(w->geometry()))
        return true;
    }
    return false;
  }
  // Each control is covered exactly when `covered`; the combos are disabled then too.
  void ExpectCovered(QWidget* panel, const QStringList& names, bool covered) const {
    for (const QString& n : names) {
      EXPECT_EQ(Covered(panel, n), covered) << n.toStdString();
      auto* w = Find<QWidget>(panel, n);
      if (w && n.startsWith("cmb")) {
        EXPECT_EQ(w->isEnabled(), !covered) << n.toStdString();
      }
    }
  }
  static QStringList OutputSelector(const QString& part) {
    QStringList names{"cmb" + part};
    for (int i = 0; i < 4; ++i)
      names << QString("btn%1On%2").arg(part).arg(i) << QString("btn%1Off%2").arg(part).arg(i)
            << QString("lbl%1_%2").arg(part).arg(i);
    return names;
  }
};

TEST_F(PanelCoverNames, DacOutputSelectorLeftOutIsCoveredWithItsCombo) {
  const QStringList daoe{"pnlCoverDAOE1_1", "pnlCoverDAOE1_2", "pnlCoverDAOE1_3"};
  const QStringList daoe2{"pnlCoverDAOE2_1", "pnlCoverDAOE2_2", "pnlCoverDAOE2_3"};
  struct Case {
    QStringList without, covers;
  };
  const Case cases[] = {{{}, {}}, {{"DAOE"}, daoe}, {{"DAOE2"}, daoe2}, {{"DAOE", "DAOE2"}, daoe + daoe2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.without.join(",").toStdString());
    ParseWithout(c.without);
    QWidget* dac = prog->DACForm;
    EXPECT_EQ(ShownCovers(dac), c.covers);
    ExpectCovered(dac, OutputSelector("Daoe"), c.without.contains("DAOE"));
    ExpectCovered(dac, OutputSelector("Daoe2"), c.without.contains("DAOE2"));
    // The latch switches and the rest of the DAC stay.
    ExpectCovered(dac, {"btnDalhOn", "btnDalhoff", "btnDalh2On", "btnDalh2Off", "cmbDaps", "edtDabit"}, false);
  }
}

TEST_F(PanelCoverNames, OpampNet1AndRfb2LeftOutAreCovered) {
  const QStringList rfb2{"pnlCoverRfb2_1", "pnlCoverRfb2_2", "pnlCoverRfb2_3",
                         "pnlCoverRfb2_4", "pnlCoverRfb2_5", "pnlCoverRfb2_6"};
  struct Case {
    QStringList without, covers;
  };
  const Case cases[] = {
      {{}, {}},
      // Only NET1: its bank and the dot where its wire met the RFB2 loop.
      {{"OP2NET1"}, {"pnlCoverOp2net1", "pnlCoverOp2net1_2"}},
      {{"RFB2"}, rfb2},
      {{"OP2NET1", "RFB2"}, QStringList{"pnlCoverOp2Out", "pnlCoverOp2net1"} + rfb2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.without.join(",").toStdString());
    ParseWithout(c.without);
    QWidget* op = prog->OPForm;
    QStringList expected = c.covers;
    expected.sort();
    EXPECT_EQ(ShownCovers(op), expected);
    QStringList net1;
    for (int n = 4; n < 8; ++n) net1 << QString("btnOp2Net1On%1").arg(n) << QString("btnOp2Net1Off%1").arg(n);
    ExpectCovered(op, net1, c.without.contains("OP2NET1"));
    ExpectCovered(op, {"cmbRfb2", "lblRfb2"}, c.without.contains("RFB2"));
    ExpectCovered(op, {"cmbRfb", "btnOp2pOn0", "btnOp2nOn0"}, false);
  }
}

}  // namespace

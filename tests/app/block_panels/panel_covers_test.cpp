// The covers of the op-amp and DAC panels, checked on the rendered diagrams: a field the
// chip definition leaves out leaves nothing of its part of the picture (no glyph, label
// box, heading, wire stub or junction dot), while the wires that stay run on unbroken.
// The regions are read off the pictures' drawings (assets/*.svg), not off the covers.
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
    Span(597, 252, 603, 255),  // the top of the output junction's dot
    Span(501, 267, 507, 270),  // the top of the input junction's dot
};
const QRect Op2Lead = Span(592, 252, 603, 262);  // OP2's output lead, both fields' wire
const QRect RfbParts[] = {Span(226, 259, 238, 452), Span(129, 427, 245, 480), Span(130, 274, 142, 452),
                          Span(229, 252, 235, 255), Span(133, 267, 139, 270)};
// Wires that stay whatever the definition: rows 256..257 of the outputs, 271..272 of the
// inverting inputs; all their columns look alike unless a dot or a gap is on them.
struct Wire {
  int left, right, row;
};
const Wire Op2Input{485, 524, 271}, Op2Output{592, 621, 256}, Op1Input{117, 156, 271}, Op1Output{224, 264, 256};
// The output selectors of the DAC panel, heading to the last position.
const QRect DaoeParts[] = {Span(366, 110, 474, 204), Span(862, 110, 970, 204)};

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
  }
}

TEST_F(PanelCovers, DacOutputSelectorLeftOutLeavesNothing) {
  struct Case {
    QStringList without;
    bool daoe, daoe2;
  };
  for (const Case& c : {Case{{}, true, true}, Case{{"DAOE2"}, true, false}, Case{{"DAOE", "DAOE2"}, false, false}}) {
    SCOPED_TRACE(c.without.join(",").toStdString());
    ParseWithout(c.without);
    const QImage img = Render(prog->DACForm);
    EXPECT_EQ(!Blank(img, DaoeParts[0]), c.daoe);
    EXPECT_EQ(!Blank(img, DaoeParts[1]), c.daoe2);
  }
}

}  // namespace

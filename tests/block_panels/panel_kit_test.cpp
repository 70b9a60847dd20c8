// The widget kit of the block panels: glyphs, labels, toggles and selectors follow the
// value they paint, and clicks report the right position or bit.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QWidget>
#include <memory>

#include "block_panels/field_binding.h"
#include "block_panels/panel_kit.h"
#include "block_panels/panel_kit_fixture.h"
#include "common/errors.h"

namespace {

// The errors the kit's handlers showed.
struct ShownErrors : ErrorShow {
  void ShowError(const QString& text) const override { texts.push_back(text); }
  mutable QStringList texts;
};

TEST(PanelKit, NewGlyphPairShowsTheOpenGlyphOnOneSpot) {
  QWidget host;
  GlyphPair g = MakeGlyphPair(&host, "IN1STon", "IN1SToff", QRect(280, 315, 14, 30), GlyphAxis::Vertical);
  EXPECT_EQ(g.closed->objectName(), "IN1STon");
  EXPECT_EQ(g.open->objectName(), "IN1SToff");
  EXPECT_EQ(g.closed->geometry(), g.open->geometry());
  EXPECT_TRUE(g.closed->isHidden());
  EXPECT_FALSE(g.open->isHidden());
  auto* pic = qobject_cast<TPictureButton*>(g.open);
  ASSERT_NE(pic, nullptr);
  EXPECT_TRUE(pic->Valid());
  EXPECT_EQ(pic->Picture(), SwitchPicture(false, GlyphAxis::Vertical));
  g.Show(true);
  EXPECT_TRUE(g.IsClosed());
  EXPECT_TRUE(g.open->isHidden());
}

TEST(PanelKit, SelectorPaintFollowsTheValue) {
  KitFixture k(16);
  struct Case {
    int value, closed;
  } cases[] = {{5, 5}, {15, 15}, {0, 0}, {16, 0}, {200, 0}, {-3, 0}, {9, 9}};
  for (const Case& c : cases) {
    k.selector.Paint(c.value);
    EXPECT_EQ(k.ClosedPosition(), c.closed) << "value " << c.value;
    for (int i = 0; i < 16; ++i)
      EXPECT_EQ(LookOf(k.selector.labels[i]), i == c.closed ? Look::Inverted : Look::Normal) << c.value << "/" << i;
    EXPECT_EQ(k.combo->currentIndex(), c.closed);
    EXPECT_EQ(k.combo->currentText(), BinaryCode(c.closed, 4));
  }
  // Glyphs only: no position closed when the position does not exist.
  k.selector.PaintGlyphs(16);
  EXPECT_EQ(k.ClosedPosition(), -1);
}

TEST(PanelKit, SelectorComboMatchedByCode) {
  KitFixture k(4);
  k.combo->clear();
  k.combo->addItems({"01", "10", "11"});  // position 0 not offered
  k.selector.codeDigits = 2;
  k.selector.Paint(2);
  EXPECT_EQ(k.combo->currentText(), "10");
  k.selector.Paint(0);
  EXPECT_EQ(k.combo->currentIndex(), -1);
  EXPECT_EQ(k.ClosedPosition(), 0);
}

TEST(PanelKit, SelectorClicksReportThePosition) {
  KitFixture k(16);
  std::vector<int> picks;
  ShownErrors shown;
  k.selector.OnPick(shown, &k.host, [&](int i) {
    if (i == 5) throw EConvertError("'x' is not a valid integer value");
    picks.push_back(i);
  });
  k.selector.glyphs[3].open->click();
  // A pick that raises ends there with its message; the next click is taken.
  k.selector.glyphs[5].open->click();
  EXPECT_EQ(shown.texts, QStringList{"'x' is not a valid integer value"});
  k.selector.glyphs[12].closed->click();
  k.selector.glyphs[7].SetEnabled(false);  // a position the chip definition does not offer
  k.selector.glyphs[7].open->click();
  EXPECT_EQ(picks, (std::vector<int>{3, 12}));
  EXPECT_EQ(k.selector.PositionOf(k.selector.glyphs[12].open), 12);
  EXPECT_EQ(k.selector.PositionOf(k.combo), -1);
  // A disabled glyph still follows the paints.
  k.selector.Paint(7);
  EXPECT_EQ(k.ClosedPosition(), 7);
}

TEST(PanelKit, SwitchBankPaintsItsBitsOnly) {
  KitFixture k(5);
  std::vector<QLabel*> labels;
  for (int i = 0; i < 5; ++i) labels.push_back(new QLabel(&k.host));
  k.bank.labels = labels;
  k.bank.glyphs[3].Show(true);  // beyond the width painted below: left as it is
  k.bank.Paint(0x05, 3);
  EXPECT_TRUE(k.bank.glyphs[0].IsClosed());
  EXPECT_FALSE(k.bank.glyphs[1].IsClosed());
  EXPECT_TRUE(k.bank.glyphs[2].IsClosed());
  EXPECT_TRUE(k.bank.glyphs[3].IsClosed());
  EXPECT_EQ(LookOf(labels[0]), Look::Inverted);
  EXPECT_EQ(LookOf(labels[1]), Look::Normal);
  // A second field painting the same bank from its second entry; bits past the bank are ignored.
  k.bank.Paint(0xFF, 8, 1);
  for (int e = 1; e < 5; ++e) EXPECT_TRUE(k.bank.glyphs[e].IsClosed()) << e;
  EXPECT_TRUE(k.bank.glyphs[0].IsClosed());
  k.bank.Paint(0x00, 8, 1);
  for (int e = 1; e < 5; ++e) EXPECT_FALSE(k.bank.glyphs[e].IsClosed()) << e;
}

TEST(PanelKit, SwitchBankClicksTellWhichGlyph) {
  KitFixture k(4);
  std::vector<std::pair<int, bool>> clicks;
  ShownErrors shown;
  k.bank.OnClick(shown, &k.host, [&](int e, bool closedGlyph) { clicks.push_back({e, closedGlyph}); });
  k.bank.glyphs[2].open->click();
  k.bank.glyphs[0].closed->click();
  EXPECT_EQ(clicks, (std::vector<std::pair<int, bool>>{{2, false}, {0, true}}));
}

TEST(PanelKit, LooksUseThePlatformColours) {
  const QPalette pal = QApplication::palette();
  QLabel label;
  struct Case {
    Look look;
    QColor background, text;
  } cases[] = {
      {Look::ToggleOn, pal.color(QPalette::Highlight), pal.color(QPalette::Base)},
      {Look::ToggleOffWindow, pal.color(QPalette::Base), Qt::black},
      {Look::ToggleOffFace, pal.color(QPalette::Button), Qt::black},
      {Look::Inverted, Qt::black, pal.color(QPalette::Base)},
      {Look::Normal, pal.color(QPalette::Button), Qt::black},
      {Look::Indicator, Qt::blue, pal.color(QPalette::Base)},
  };
  for (const Case& c : cases) {
    ApplyLook(&label, c.look);
    EXPECT_EQ(LookOf(&label), c.look);
    EXPECT_TRUE(label.autoFillBackground());
    EXPECT_EQ(label.palette().color(QPalette::Window), c.background) << int(c.look);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), c.text) << int(c.look);
  }
}

TEST(PanelKit, TogglePanelPaintsAndClicks) {
  QWidget host;
  auto* panel = new TTogglePanel("ENADC", &host);
  EXPECT_EQ(panel->text(), "ENADC");
  EXPECT_EQ(LookOf(panel), Look::ToggleOffFace);
  int clicks = 0;
  QObject::connect(panel, &QAbstractButton::clicked, [&] { ++clicks; });
  panel->click();
  EXPECT_EQ(clicks, 1);
  panel->setEnabled(false);
  panel->click();
  EXPECT_EQ(clicks, 1);

  for (auto [value, look] : {std::pair{1, Look::ToggleOn}, {0, Look::ToggleOffFace}, {3, Look::ToggleOn}}) {
    PaintToggle(panel, value);
    EXPECT_EQ(LookOf(panel), look) << value;
  }
  PaintToggle(panel, 0, Look::ToggleOffWindow);
  EXPECT_EQ(LookOf(panel), Look::ToggleOffWindow);
  PaintLit(panel, true);
  EXPECT_EQ(LookOf(panel), Look::Inverted);
}

TEST(PanelKit, ControlsFoundByNameWithoutRegardToCase) {
  QWidget host;
  for (int i = 0; i < 4; ++i) {
    MakeGlyphPair(&host, QString("btnDans2On%1").arg(i), QString("btnDans2Off%1").arg(i), QRect(0, 0, 30, 14),
                  GlyphAxis::Horizontal);
    (new QLabel(&host))->setObjectName(QString("lblDans2_%1").arg(i));
  }
  auto pairs = GlyphPairsByName(&host, "btnDans2on", "btnDans2off", 0, 4);
  ASSERT_EQ(pairs.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    ASSERT_NE(pairs[i].closed, nullptr);
    EXPECT_EQ(pairs[i].closed->objectName(), QString("btnDans2On%1").arg(i));
    EXPECT_EQ(pairs[i].open->objectName(), QString("btnDans2Off%1").arg(i));
  }
  auto beyond = GlyphPairsByName(&host, "btnDans2On", "btnDans2Off", 3, 2);
  EXPECT_NE(beyond[0].closed, nullptr);
  EXPECT_EQ(beyond[1].closed, nullptr);  // no glyph 4
  auto labels = LabelsByName(&host, "LBLDANS2_", 0, 4);
  EXPECT_NE(labels[3], nullptr);
  EXPECT_EQ(FindNoCase(&host, "nothing"), nullptr);
}

TEST(PanelKit, CombosOfCodesAndTheRangeCheck) {
  QComboBox combo;
  FillCodes(&combo, 4);
  ASSERT_EQ(combo.count(), 16);
  EXPECT_EQ(combo.itemText(0), "0000");
  EXPECT_EQ(combo.itemText(10), "1010");
  SelectCode(&combo, 6, 4);
  EXPECT_EQ(combo.currentText(), "0110");
  SelectCode(&combo, 6, 3);  // "110" is no item
  EXPECT_EQ(combo.currentIndex(), -1);

  // Sixteen codes bound to a 3-bit field: "1010" goes back to the cached value.
  TRegField osr;
  osr.Width = 3;
  osr.Value = 5;
  combo.setCurrentIndex(10);
  EXPECT_EQ(TakeChoice(&combo, osr, 10), 5);
  EXPECT_EQ(combo.currentIndex(), 5);
  EXPECT_EQ(osr.Value, 5);
  combo.setCurrentIndex(6);
  EXPECT_EQ(TakeChoice(&combo, osr, 6), 6);
  EXPECT_EQ(osr.Value, 6);
  EXPECT_EQ(combo.currentIndex(), 6);

  // Only the user's pick reports a choice.
  std::vector<int> picks;
  ShownErrors shown;
  OnChoice(shown, &combo, &combo, [&](int k) { picks.push_back(k); });
  combo.setCurrentIndex(2);
  Choose(&combo, 9);
  EXPECT_EQ(picks, std::vector<int>{9});
}

TEST(PanelKit, CodeSelectorAndIndicatorPictures) {
  QWidget host;
  CodeSelectorView code{new QComboBox(&host), new QLabel(&host)};
  FillCodes(code.combo, 2);
  code.Paint(2, "LDOM=VDD(<1.5mA)");
  EXPECT_EQ(code.caption->text(), "LDOM=VDD(<1.5mA)");
  EXPECT_EQ(code.combo->currentIndex(), 2);
  code.Paint(7, "LDOM=HighImpedance");
  EXPECT_EQ(code.combo->currentIndex(), -1);

  std::vector<QWidget*> pictures;
  for (int i = 0; i < 4; ++i) {
    auto* p = new TPictureButton(ConverterPicture(i), &host);
    EXPECT_TRUE(p->Valid());
    pictures.push_back(p);
  }
  for (auto [v, shown] : {std::pair{2, 2}, {3, 3}, {4, 0}, {0, 0}}) {
    ShowOnly(pictures, v);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(!pictures[i]->isHidden(), i == shown) << v << "/" << i;
  }
}

TEST(PanelKit, DiagramViewTakesThePicturesSize) {
  TDiagramView view(PanelPictures::AdcDiagram);
  EXPECT_TRUE(view.Valid());
  EXPECT_EQ(view.size(), QSize(1000, 624));
  QImage shot = view.grab().toImage();
  EXPECT_EQ(shot.size(), view.size());
  EXPECT_NE(shot.pixelColor(0, 0), shot.pixelColor(116, 200));  // a bus line is drawn
}

}  // namespace

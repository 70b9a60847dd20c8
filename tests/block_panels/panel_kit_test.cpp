// The widget kit of the block panels: glyphs, labels, toggles and selectors follow the
// value they paint, clicks report the right position or bit, and a selector bound to a
// field writes it through the program's register API.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QWidget>
#include <memory>

#include "block_panels/field_binding.h"
#include "block_panels/panel_kit.h"
#include "link/mx_up.h"
#include "support/program_fixture.h"

namespace {

// A user's pick in a combo box (a paint selects without this signal).
void Choose(QComboBox* combo, int index) {
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
  k.selector.OnPick(&k.host, [&](int i) { picks.push_back(i); });
  k.selector.glyphs[3].open->click();
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
  k.bank.OnClick(&k.host, [&](int e, bool closedGlyph) { clicks.push_back({e, closedGlyph}); });
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
  OnChoice(&combo, &combo, [&](int k) { picks.push_back(k); });
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

// Controls bound to fields, wired as a panel wires them, on the program's register API.
class BoundControlsTest : public ProgramTest {
protected:
  void SetUp() override {
    ProgramTest::SetUp();
    StartProgram();
    field = Def(0x21, 4, 4);
    kit = std::make_unique<KitFixture>(16);
    selector = std::make_unique<BoundSelector>(BoundSelector{field, kit->selector});
    selector->view.OnPick(&kit->host, [this](int i) { selector->Pick(Up(), i, true); });
    OnChoice(kit->combo, &kit->host, [this](int k) {
      selector->Choose(Up(), k);
      selector->Refresh(Up(), Repaint::Always);
    });
  }
  static TRegField Def(uint16_t address, uint8_t width, uint8_t shift) {
    TRegField f;
    f.Address = address;
    f.Width = width;
    f.Shift = shift;
    f.Defined = 1;
    return f;
  }
  void Connect() {
    Click("USBScan");
    sim.board.ClearLog();
  }
  TMx_UP& Up() { return *prog->Mx_UP; }
  uint8_t Shadow(int a) { return Up().GetReg(a, 0); }
  TRegField field;
  std::unique_ptr<KitFixture> kit;
  std::unique_ptr<BoundSelector> selector;
};

TEST_F(BoundControlsTest, SelectorClickWritesThePositionKeepingTheOtherBits) {
  Connect();
  Up().SetRegShadow(0x21, 0x0A, 0);
  kit->selector.glyphs[15].open->click();
  auto sent = Sent();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent[0][3], 0x21);
  EXPECT_EQ(sent[0][7], 0xFA);
  EXPECT_EQ(Shadow(0x21), 0xFA);
  EXPECT_EQ(field.Value, 15);
  EXPECT_EQ(kit->ClosedPosition(), 15);
}

TEST_F(BoundControlsTest, WriteWhileTheLinkIsClosedShowsTheShadowAfterTheRefresh) {
  Up().SetRegShadow(0x21, 0x30, 0);  // position 3; not connected
  selector->Refresh(Up(), Repaint::Always);
  kit->selector.glyphs[9].open->click();
  EXPECT_EQ(kit->ClosedPosition(), 9);  // painted before the write
  EXPECT_TRUE(Sent().empty());
  selector->Refresh(Up(), Repaint::OnChange);  // the cached 9 differs from the shadow
  EXPECT_EQ(kit->ClosedPosition(), 3);
  EXPECT_EQ(field.Value, 3);
}

TEST_F(BoundControlsTest, RefreshOnChangeLeavesAnUnchangedValueAlone) {
  Up().SetRegShadow(0x21, 0x20, 0);
  selector->Refresh(Up(), Repaint::OnChange);
  EXPECT_EQ(kit->ClosedPosition(), 2);
  kit->selector.PaintGlyphs(-1);  // something else drew over it
  selector->Refresh(Up(), Repaint::OnChange);
  EXPECT_EQ(kit->ClosedPosition(), -1);
  selector->Refresh(Up(), Repaint::Always);
  EXPECT_EQ(kit->ClosedPosition(), 2);
}

TEST_F(BoundControlsTest, ComboCodeBeyondTheFieldWritesTheCachedValueAgain) {
  Connect();
  field = Def(0x21, 3, 0);
  Up().SetRegShadow(0x21, 0x05, 0);
  selector->Refresh(Up(), Repaint::Always);
  Choose(kit->combo, 10);  // "1010"
  EXPECT_EQ(kit->combo->currentIndex(), 5);
  auto sent = Sent();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent[0][7], 0x05);  // the unchanged value, once more
  EXPECT_EQ(kit->ClosedPosition(), 5);
  Choose(kit->combo, 6);
  EXPECT_EQ(Shadow(0x21), 0x06);
  EXPECT_EQ(kit->ClosedPosition(), 6);
}

TEST_F(BoundControlsTest, UndefinedFieldIgnoresClicks) {
  Connect();
  field = TRegField{};
  kit->selector.glyphs[4].open->click();
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(Shadow(0), 0);
}

TEST_F(BoundControlsTest, BankClicksSetAndClearTheirBitsWithinTheWidth) {
  Connect();
  TRegField op1n = Def(0x40, 3, 0);
  BoundBank bank{op1n, kit->bank, 0};
  bank.view.OnClick(&kit->host, [&](int e, bool closed) { bank.Click(Up(), e, closed); });
  Up().SetRegShadow(0x40, 0x05, 0);
  bank.Refresh(Up());
  EXPECT_TRUE(kit->bank.glyphs[0].IsClosed());
  EXPECT_FALSE(kit->bank.glyphs[1].IsClosed());
  EXPECT_TRUE(kit->bank.glyphs[2].IsClosed());

  kit->bank.glyphs[1].open->click();
  EXPECT_EQ(Shadow(0x40), 0x07);
  kit->bank.glyphs[0].closed->click();
  EXPECT_EQ(Shadow(0x40), 0x06);
  sim.board.ClearLog();
  kit->bank.glyphs[3].open->click();  // bit 3 is beyond the 3-bit field
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(Shadow(0x40), 0x06);

  // A bank painted from its second entry: entry 1 is bit 0.
  TRegField loop = Def(0x41, 2, 4);
  BoundBank fromSecond{loop, kit->bank, 1};
  fromSecond.Click(Up(), 1, false);
  EXPECT_EQ(Shadow(0x41), 0x10);
  fromSecond.Click(Up(), 0, false);  // before the bank's first entry
  EXPECT_EQ(Shadow(0x41), 0x10);
}

TEST_F(BoundControlsTest, TogglesInvertTheCachedValueOrTheShadowBit) {
  Connect();
  TRegField enadc = Def(0x50, 1, 3);
  auto* panel = new TTogglePanel("ENADC", &kit->host);
  BoundToggle toggle{enadc, panel, Look::ToggleOffWindow};
  toggle.Refresh(Up());
  EXPECT_EQ(LookOf(panel), Look::ToggleOffWindow);

  enadc.Value = 0;
  toggle.InvertCached(Up());
  EXPECT_EQ(Shadow(0x50), 0x08);
  toggle.Refresh(Up());
  EXPECT_EQ(LookOf(panel), Look::ToggleOn);
  enadc.Value = 5;  // anything but 0 inverts to 0
  toggle.InvertCached(Up());
  EXPECT_EQ(Shadow(0x50), 0x00);

  // The shadow's bit decides, not what was painted or cached.
  Up().SetRegShadow(0x50, 0x08, 0);
  enadc.Value = 0;
  toggle.InvertBit(Up());
  EXPECT_EQ(Shadow(0x50), 0x00);
}

}  // namespace

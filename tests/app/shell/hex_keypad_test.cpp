// The hex keypad: layout, keys, buttons, the maximum-text rule and its placement.
#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <memory>

#include "shell/hex_keypad.h"
#include "app/support/keypad_driver.h"
#include "app/support/program_fixture.h"

namespace {

struct HexKeypad : ProgramTest {
  TMxPopSelHex* kp = nullptr;
  void SetUp() override {
    ProgramTest::SetUp();
    StartProgram();
    kp = prog->MxPopSelHex;
    kp->ScreenSize = [] { return QSize(800, 600); };
  }
  // Opens the keypad with the keys typed; returns accepted, value starts at 0x5A.
  bool Type(const QString& maxText, const QString& keys, int& value) {
    value = 0x5A;
    bool accepted = false;
    WithKeypad(
        *kp, [&] { accepted = kp->PopupHex(10, 10, value, maxText, "range", "caption"); },
        [this, keys] { KeypadType(*kp, keys); });
    return accepted;
  }
};

TEST_F(HexKeypad, LayoutOfTheNineteenButtons) {
  const int w = TMxPopSelHex::ButtonWidth, h = TMxPopSelHex::ButtonHeight;
  const QRect edit = kp->ENum->geometry();
  for (int i = 0; i < 16; ++i) {
    QPushButton* b = kp->Buttons[i];
    EXPECT_EQ(b->text(), QString("0123456789ABCDEF").mid(i, 1));
    EXPECT_EQ(b->geometry(), QRect(8 + (i % 4) * w, edit.bottom() + 1 + 4 + (i / 4) * h, w, h)) << i;
    EXPECT_EQ(b->parentWidget(), kp->BasePanel);
  }
  const QRect enter = kp->BtnEnter()->geometry();
  EXPECT_EQ(enter, QRect(8, kp->Buttons[15]->geometry().bottom() + 1, 4 * w, h));
  EXPECT_EQ(kp->BtnClear()->geometry(), QRect(8, enter.bottom() + 1 + 4, 2 * w, h));
  EXPECT_EQ(kp->BtnCancel()->geometry(), QRect(8 + 2 * w, enter.bottom() + 1 + 4, 2 * w, h));
  EXPECT_EQ(kp->ENum->width(), enter.width());
  EXPECT_EQ(kp->width(), enter.right() + 1 + 8);
  EXPECT_EQ(kp->height(), kp->BtnCancel()->geometry().bottom() + 1 + 8);
  EXPECT_FALSE(kp->PnlStatus->isVisibleTo(kp));
}

TEST_F(HexKeypad, KeysAndTheMaximumText) {
  struct Case {
    const char* max;
    const char* keys;
    bool accepted;
    int value;
  } cases[] = {
      {"FF", "A5", true, 0xA5},          // the second digit closes the keypad
      {"FFF", "7\n", true, 0x7},
      {"FF", "\n", false, 0x5A},         // Enter on an empty edit
      {"FF", "3\x1b", false, 0x5A},      // Esc after one digit
      {"7F", "98G-7F", true, 0x7F},      // 9 and 8 are above 7; G and - are no digits
      {"FF", "ab", true, 0xAB},          // lower case taken as upper
      {"FFFF", "12\b3\n", true, 0x13},   // Backspace removes the last digit
      {"FFF", "1\b\b\n", false, 0x5A},   // emptied again: Enter does not accept
  };
  for (const Case& c : cases) {
    int value = 0;
    EXPECT_EQ(Type(c.max, c.keys, value), c.accepted) << c.max << " " << c.keys;
    EXPECT_EQ(value, c.value) << c.max << " " << c.keys;
  }
}

// Text that reaches the edit other than by a key passes the same filter: pasted from
// the context menu, pasted with the middle button (an insert at the caret) or dropped.
TEST_F(HexKeypad, PastedTextPassesTheKeyFilter) {
  enum class Route { MenuPaste, MiddleClick, Drop };
  struct Case {
    const char* max;
    const char* pasted;
    const char* keysAfter;
    bool accepted;
    int value;
  } cases[] = {
      {"FF", "ZZ", "\n", false, 0x5A},      // nothing taken: Enter on an empty edit
      {"FF", "a5", "", true, 0xA5},         // upper-cased; the second digit closes the keypad
      {"FFFF", " 1-2 ", "\n", true, 0x12},  // what is no digit is left out
      {"7F", "9A7", "\n", true, 0x7},       // 9 and A are above 7 as a first digit
      {"FFF", "12345", "", true, 0x123},    // no more digits than the maximum
  };
  for (Route route : {Route::MenuPaste, Route::MiddleClick, Route::Drop})
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << static_cast<int>(route) << " " << c.max << " " << c.pasted);
      QGuiApplication::clipboard()->setText(c.pasted);
      int value = 0x5A;
      bool accepted = false;
      WithKeypad(
          *kp, [&] { accepted = kp->PopupHex(10, 10, value, c.max, "range", "caption"); },
          [&] {
            if (route == Route::MenuPaste) {
              std::unique_ptr<QMenu> menu(kp->ENum->createStandardContextMenu());
              QAction* paste = nullptr;
              for (QAction* a : menu->actions())
                if (a->text().remove('&').startsWith("Paste")) paste = a;
              ASSERT_NE(paste, nullptr);
              ASSERT_TRUE(paste->isEnabled());
              paste->trigger();
            } else if (route == Route::MiddleClick) {
              kp->ENum->insert(c.pasted);
            } else {
              QMimeData data;
              data.setText(c.pasted);
              QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
              QCoreApplication::sendEvent(kp->ENum, &enter);
              QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
              QCoreApplication::sendEvent(kp->ENum, &drop);
            }
            KeypadType(*kp, c.keysAfter);
          });
      EXPECT_EQ(accepted, c.accepted);
      EXPECT_EQ(value, c.value);
    }
}

TEST_F(HexKeypad, ButtonsCaptionAndRange) {
  int value = 1;
  QString caption, range;
  bool accepted = false;
  WithKeypad(*kp, [&] { accepted = kp->PopupHex(0, 0, value, "FFFF", "0000~FFFF", "Ram0012=ADCON"); }, [&] {
    caption = kp->windowTitle();
    range = kp->PnlStatus->text();
    kp->Buttons[0xC]->click();
    kp->BtnClear()->click();
    kp->Buttons[0x3]->click();
    kp->Buttons[0xE]->click();
    kp->BtnEnter()->click();
  });
  EXPECT_TRUE(accepted);
  EXPECT_EQ(value, 0x3E);
  EXPECT_EQ(caption, "Ram0012=ADCON");
  EXPECT_EQ(range, "0000~FFFF");
  EXPECT_EQ(kp->BtnEnter()->text(), "Enter");
  EXPECT_EQ(kp->BtnClear()->text(), "Clear");
  EXPECT_EQ(kp->BtnCancel()->text(), "Cancel");

  WithKeypad(*kp, [&] { accepted = kp->PopupHex(0, 0, value, "FF", "00~FF", "x"); }, [&] {
    kp->Buttons[0x1]->click();
    kp->BtnCancel()->click();
  });
  EXPECT_FALSE(accepted);
  EXPECT_EQ(value, 0x3E);
}

TEST_F(HexKeypad, StaysOnScreenNearTheCorner) {
  int value = 0;
  QPoint at;
  WithKeypad(*kp, [&] { kp->PopupHex(790, 595, value, "FF", "00~FF", "x"); }, [&] {
    at = kp->pos();
    KeypadType(*kp, "\x1b");
  });
  EXPECT_EQ(at, QPoint(800 - kp->width(), 600 - kp->height()));
  WithKeypad(*kp, [&] { kp->PopupHex(100, 200, value, "FF", "00~FF", "x"); }, [&] {
    at = kp->pos();
    KeypadType(*kp, "\x1b");
  });
  EXPECT_EQ(at, QPoint(100, 200));
}

}  // namespace

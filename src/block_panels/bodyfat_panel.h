#pragma once
// Body-fat switch panel: the switch network of the body-composition front end over its
// picture, fifteen switches SW1..SW15, four force-loop switches 1F4..1F7 and eight node
// labels lit while the signal path through them is selected. Its switches are bits of
// five fields, and three fields share switches: a switch is painted from one field and
// toggles one field, not always the same one. The last link of the refresh chain.

#include <vector>

#include "block_panels/panel_kit.h"
#include "common/field_descriptors.h"
#include "kit/form.h"

class QLabel;

class TbodyfatGUIForm : public TPanelForm {
  Q_OBJECT
public:
  explicit TbodyfatGUIForm(Bench& program, QWidget* parent = nullptr);
  // Builds the four glyph groups by name, shows every open glyph, assigns the click
  // handlers and sets the cached values of the switch fields to 0.
  void FormCreate() override;
  void FormClose() override;
  // Repaints from the register shadow, shown or hidden.
  void DataUpdate();
  // The picture at 1:1; a smaller window scrolls.
  QSize sizeHint() const override;

  // Glyph groups, closed and open glyphs in the same order:
  //   A = SW1, 1F4, 1F5, 1F6, 1F7     B = SW5, SW4, SW3, SW2, SW9
  //   C = SW8, SW7, SW6, SW15, SW14   D = SW13, SW12, SW11, SW10
  SwitchBankView GroupA, GroupB, GroupC, GroupD;

  // ---- Handlers (the glyph that was clicked as sender) -----------------------------------
  void btn1FOnOffClick(QObject* sender);
  void btnOpoOnOffClick(QObject* sender);
  void btnOpo2OnOffClick(QObject* sender);
  void btnOp3oOnOffClick(QObject* sender);

private:
  void CreateControls();
  TMx_UP* Up() const;
  // Bits 0, 1 of RAMBANK on SW15, SW14, bits 2..5 on SW13..SW10, bit 6 on SW9.
  void RamBankSwitch();
  // A label lit while its condition holds.
  void LblSwitch(QLabel* label, bool lit);
  // Bit `bit` of the field cleared (closed glyph) or set (open glyph) and written; a bit
  // at or beyond the field's width is no switch of it and writes nothing.
  void SwitchBit(TRegField& field, int bit, bool closedGlyph);

  FieldDescriptors& F;
  QLabel *lblLpf_fbp = nullptr, *lblAi8 = nullptr, *lblAi9 = nullptr, *lblDaco2 = nullptr, *lblOpo = nullptr,
         *lblOpo2 = nullptr, *lblLpf_In = nullptr, *lblLpf_O = nullptr;
};

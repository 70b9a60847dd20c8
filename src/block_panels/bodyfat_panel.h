#pragma once
// Body-fat switch panel: the front end's switch network.

#include "shell/form.h"

class TbodyfatGUIForm : public TPanelForm {
  Q_OBJECT
public:
  explicit TbodyfatGUIForm(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // Repaints from the register shadow.
  void DataUpdate();
};

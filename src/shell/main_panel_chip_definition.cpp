// The main window's side of the chip definition: the menu items each keyword offers.
// Every parse first hides what a keyword can show, so a product without the keyword
// has no such item.
#include <QAction>

#include "shell/main_panel.h"

namespace {

struct KeywordItems {
  uint16_t code;
  std::initializer_list<const char*> items;
};

namespace K = ChipKeyword;
const KeywordItems kKeywordItems[] = {
    {K::Adc0S, {"SMenu_ADC"}},
    {K::Op0S, {"SMenu_OP"}},
    {K::Dac0S, {"SMenu_CMP"}},
    {K::BodyfatPanel, {"SMenu_Bodyfat"}},
    {K::Fluke, {"DownLoadFluke1", "SaveFluke1", "Regist", "Fluke1", "Power1", "BryMenShow1", "Memu_File"}},
    {K::Power, {"Power1", "SavePower1"}},
    {K::Enob, {"Menu_ReadAdc"}},
    {K::Continue, {"Regist"}},
    {K::RegisterTest, {"SaveReg1", "DownloadReg1", "Memu_File"}},
    {K::Waveform, {"WaveGen"}},
    {K::IqTest, {"IQTest1"}},
    {K::Bodyfat, {"Bodyfat"}},
    {K::LoadMx52k, {"LoadVI52R7718"}},
};

// "#ACCESS" lines, compared with the raw line as a whole.
const std::pair<const char*, const char*> kAccessItems[] = {
    {"LOADRAM", "LoadRAM"}, {"LOADREG", "LoadREG"}, {"SAVERAM", "SaveTable"},
    {"SAVEREG", "SaveREG"}, {"RAMPANEL", "SMenu_RAM"},
};

}  // namespace

void TMainPanel::ShowItems(std::initializer_list<const char*> names, bool visible) {
  for (const char* n : names)
    if (QAction* a = MenuItem(n)) a->setVisible(visible);
}

void TMainPanel::ParseStarted() {
  ShowItems({"Menu_ReadAdc", "DownLoadFluke1", "SaveFluke1", "Regist", "Fluke1", "Power1", "BryMenShow1",
             "DownloadReg1", "Memu_File"},
            false);
}

void TMainPanel::DefinitionOpened() {
  ShowItems({"SaveTable", "SaveREG", "LoadRAM", "LoadREG", "WaveGen", "IQTest1", "Bodyfat", "SMenu_ADC",
             "SMenu_OP", "SMenu_CMP", "SMenu_Bodyfat", "LoadVI52R7718", "SMenu_RAM"},
            false);
}

void TMainPanel::KeywordMet(uint16_t code) {
  for (const KeywordItems& k : kKeywordItems)
    if (k.code == code) ShowItems(k.items, true);
}

void TMainPanel::AccessLine(const QString& rawLine) {
  for (auto [line, item] : kAccessItems)
    if (rawLine == QLatin1String(line)) ShowItems({item}, true);
}

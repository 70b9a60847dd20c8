#include "link/field_table.h"

#include "common/number_text.h"
#include "link/chip_definition_listener.h"

namespace {

struct Entry {
  uint16_t section;
  const char* name;
  FieldId id;
};

using F = FieldId;
namespace K = ChipKeyword;

// Per section in the order the names are compared.
constexpr Entry kFields[] = {
    {K::Adc0S, "LDOM", F::LDOM},        {K::Adc0S, "ENLDO", F::ENLDO},     {K::Adc0S, "DADC", F::DADC},
    {K::Adc0S, "HAOSEL", F::HAOSEL},    {K::Adc0S, "HAOM", F::HAOM},       {K::Adc0S, "IN1P", F::IN1P},
    {K::Adc0S, "IN1N", F::IN1N},        {K::Adc0S, "VR1P", F::VR1P},       {K::Adc0S, "VR1N", F::VR1N},
    {K::Adc0S, "PGA", F::PGA},          {K::Adc0S, "AD1GN", F::AD1GN},     {K::Adc0S, "DC1S", F::DC1S},
    {K::Adc0S, "OSR1", F::OSR1},        {K::Adc0S, "VR1GN", F::VR1GN},     {K::Adc0S, "ENTPS", F::ENTPS},
    {K::Adc0S, "TPSCH", F::TPSCH},      {K::Adc0S, "ENADC", F::ENADC},     {K::Adc0S, "ADC1OH", F::ADC1OH},
    {K::Adc0S, "ADC1OM", F::ADC1OM},    {K::Adc0S, "ADC1OL", F::ADC1OL},   {K::Adc0S, "ADCIOH", F::ADCIOH},
    {K::Adc0S, "ADCIOM", F::ADCIOM},    {K::Adc0S, "ADCIOL", F::ADCIOL},   {K::Adc0S, "ADCQOH", F::ADCQOH},
    {K::Adc0S, "ADCQOM", F::ADCQOM},    {K::Adc0S, "ADCQOL", F::ADCQOL},   {K::Adc0S, "AD1RST", F::AD1RST},
    {K::Adc0S, "INX0", F::INX0},        {K::Adc0S, "INIS", F::INIS},       {K::Adc0S, "VDDAX", F::VDDAX},
    {K::Adc0S, "ENREFO", F::ENREFO},    {K::Adc0S, "ADCIF", F::ADCIF},     {K::Adc0S, "IRQMODE", F::IRQMODE},
    {K::Adc0S, "IRQSEL", F::IRQSEL},    {K::Adc0S, "SQRTH", F::SQRTH},     {K::Adc0S, "SQRTM", F::SQRTM},
    {K::Adc0S, "SQRTL", F::SQRTL},      {K::Adc0S, "ARCTANH", F::ARCTANH}, {K::Adc0S, "ARCTANL", F::ARCTANL},
    {K::Adc0S, "DGCON1", F::DGCON1},    {K::Adc0S, "ENOP", F::ENOP_ADC},   {K::Adc0S, "TS", F::TS},
    {K::Adc0S, "OSM", F::OSM},          {K::Adc0S, "IRQEN", F::IRQEN},     {K::Adc0S, "HS", F::HS},

    {K::Op0S, "OP1O", F::OP1O},         {K::Op0S, "OP1P", F::OP1P},        {K::Op0S, "OP1N", F::OP1N},
    {K::Op0S, "OP2N89", F::OP2N89},     {K::Op0S, "RFB", F::RFB},          {K::Op0S, "OP2NET1", F::OP2NET1},
    {K::Op0S, "OP2N", F::OP2N},         {K::Op0S, "OP2P", F::OP2P},        {K::Op0S, "RFB2", F::RFB2},
    {K::Op0S, "SW", F::SW},             {K::Op0S, "0P3N", F::ZeroP3N},     {K::Op0S, "OP3P", F::OP3P},
    {K::Op0S, "ENOP", F::ENOP_OP},

    {K::Dac0S, "DANS", F::DANS},        {K::Dac0S, "DAPS", F::DAPS},       {K::Dac0S, "ENDA", F::ENDA},
    {K::Dac0S, "DAOE", F::DAOE},        {K::Dac0S, "DALH", F::DALH},       {K::Dac0S, "DADCS", F::DADCS},
    {K::Dac0S, "DABITH", F::DABITH},    {K::Dac0S, "DABITL", F::DABITL},   {K::Dac0S, "ENDA2", F::ENDA2},
    {K::Dac0S, "DAOE2", F::DAOE2},      {K::Dac0S, "DALH2", F::DALH2},     {K::Dac0S, "DANS2", F::DANS2},
    {K::Dac0S, "DAPS2", F::DAPS2},      {K::Dac0S, "DABIT2H", F::DABIT2H}, {K::Dac0S, "DADCS2", F::DADCS2},
    {K::Dac0S, "DABIT2L", F::DABIT2L},

    {K::BodyfatPanel, "SW1", F::SW1},         {K::BodyfatPanel, "DAC2CN2", F::DAC2CN2},
    {K::BodyfatPanel, "DACCN3", F::DACCN3},   {K::BodyfatPanel, "F_LOOP", F::F_LOOP},
    {K::BodyfatPanel, "RAMBANK", F::RAMBANK}, {K::BodyfatPanel, "LPF_FBP", F::LPF_FBP},
    {K::BodyfatPanel, "AI8", F::AI8},         {K::BodyfatPanel, "AI9", F::AI9},
    {K::BodyfatPanel, "DACO2", F::DACO2},     {K::BodyfatPanel, "IN1N", F::IN1N},
    {K::BodyfatPanel, "IN1P", F::IN1P},       {K::BodyfatPanel, "DAOE", F::DAOE},
    {K::BodyfatPanel, "LPF_O", F::LPF_O},
};

}  // namespace

bool FindField(uint16_t section, const QString& name, FieldId& id) {
  for (const Entry& e : kFields) {
    if (e.section == section && name == QLatin1String(e.name)) {
      id = e.id;
      return true;
    }
  }
  return false;
}

QString FieldName(FieldId id) {
  if (id == FieldId::ENACM) return QStringLiteral("ENACM");
  for (const Entry& e : kFields)
    if (e.id == id) return QLatin1String(e.name);
  return {};
}

int32_t WordNumber(const LineRec& line, int word) {
  int32_t v = 0;
  if (!ParseNumber(LineWord(line, word), v)) v = 0;
  return v;
}

void GetPanelChart(TRegField& field, const LineRec& line) {
  field.Address = static_cast<uint16_t>(WordNumber(line, 1));
  field.Defined = 1;
  field.Width = static_cast<uint8_t>(WordNumber(line, 3));
  field.Shift = static_cast<uint8_t>(WordNumber(line, 4));
}

void SetIQTest(TRegField& field, const LineRec& line) {
  GetPanelChart(field, line);
  field.Value = static_cast<uint8_t>(WordNumber(line, 5));
}

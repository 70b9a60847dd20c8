#pragma once
// The named register fields of the chip definition, one TRegField per field name,
// and the tables that come with some field lines. All start zeroed and are never
// reset: a parse overwrites only what its lines name.

#include <QString>
#include <cstdint>

#include "common/reg_field.h"

// Every descriptor, in the order of the sections that fill them. Two names need a
// member name of their own: the ADC panel's and the op-amp panel's "ENOP" are
// distinct fields, and "0P3N" (a digit zero, then P3N) is not a C++ identifier.
#define MX_FIELD_DESCRIPTORS(X)                                                                    \
  /* #ADC0S */                                                                                     \
  X(LDOM) X(ENLDO) X(DADC) X(HAOSEL) X(HAOM) X(IN1P) X(IN1N) X(VR1P) X(VR1N) X(PGA) X(AD1GN)      \
  X(DC1S) X(OSR1) X(VR1GN) X(ENTPS) X(TPSCH) X(ENADC) X(ADC1OH) X(ADC1OM) X(ADC1OL) X(ADCIOH)     \
  X(ADCIOM) X(ADCIOL) X(ADCQOH) X(ADCQOM) X(ADCQOL) X(AD1RST) X(INX0) X(INIS) X(VDDAX) X(ENREFO)  \
  X(ADCIF) X(IRQMODE) X(IRQSEL) X(SQRTH) X(SQRTM) X(SQRTL) X(ARCTANH) X(ARCTANL) X(DGCON1)        \
  X(ENOP_ADC) X(TS) X(OSM) X(IRQEN) X(HS)                                                          \
  /* #OP0S */                                                                                      \
  X(OP1O) X(OP1P) X(OP1N) X(OP2N89) X(RFB) X(OP2NET1) X(OP2N) X(OP2P) X(RFB2) X(SW) X(ZeroP3N)    \
  X(OP3P) X(ENOP_OP)                                                                               \
  /* #DAC0S */                                                                                     \
  X(DANS) X(DAPS) X(ENDA) X(DAOE) X(DALH) X(DADCS) X(DABITH) X(DABITL) X(ENDA2) X(DAOE2) X(DALH2) \
  X(DANS2) X(DAPS2) X(DABIT2H) X(DADCS2) X(DABIT2L)                                                \
  /* #BODYFATPANEL (which may also fill IN1P, IN1N and DAOE) */                                    \
  X(F_LOOP) X(SW1) X(RAMBANK) X(DAC2CN2) X(DACCN3) X(LPF_FBP) X(AI8) X(AI9) X(DACO2) X(LPF_O)     \
  /* filled by no line */                                                                          \
  X(ENACM)

enum class FieldId : uint8_t {
#define MX_FIELD_ID(name) name,
  MX_FIELD_DESCRIPTORS(MX_FIELD_ID)
#undef MX_FIELD_ID
      Count
};

struct FieldDescriptors {
#define MX_FIELD_MEMBER(name) TRegField name;
  MX_FIELD_DESCRIPTORS(MX_FIELD_MEMBER)
#undef MX_FIELD_MEMBER

  TRegField& operator[](FieldId id);
  const TRegField& operator[](FieldId id) const;
};

constexpr int CaptionCount = 8;      // AD1GNCaptions, VDDAXCaptions
constexpr int CaptionMaxChars = 8;
constexpr int ClockTextCount = 6;
constexpr int ClockTextMaxChars = 7;

// The seven register lists of the impedance tests: "#CALCULATE" AC0, AC1, DC, DC1 and
// "#CAPTEST" AC, DC, DC1, up to 20 entries each. An entry's Value is what the test writes.
constexpr int IQRegListCount = 7;
constexpr int IQRegListSize = 20;
enum IQRegList : int { IQ_AC0 = 0, IQ_AC1, IQ_DC, IQ_DC1, IQ_CapAC, IQ_CapDC, IQ_CapDC1 };

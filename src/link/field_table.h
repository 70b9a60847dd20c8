#pragma once
// The field names of the chip definition's panel sections and the two helpers that
// fill a descriptor from a field line.

#include <QString>
#include <cstdint>

#include "common/field_descriptors.h"
#include "common/line_tokens.h"

// The descriptor that a section's name token fills; false for a name the section
// does not list (compared exactly, after the parser's upper-casing).
bool FindField(uint16_t section, const QString& name, FieldId& id);
// The definition-file name of a descriptor ("0P3N" for ZeroP3N, "ENOP" for both ENOPs).
QString FieldName(FieldId id);

// Address, width and shift from words 1, 3 and 4, defined := 1. These parse into a
// number of their own: a word that is missing or not a number gives 0.
void GetPanelChart(TRegField& field, const LineRec& line);
// GetPanelChart, then value := low byte of word 5.
void SetIQTest(TRegField& field, const LineRec& line);
// A word as a number, 0 when missing or not a number.
int32_t WordNumber(const LineRec& line, int word);

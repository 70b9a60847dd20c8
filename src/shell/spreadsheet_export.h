#pragma once
// The memory view's spreadsheet export: a new workbook whose first sheet "USER Data"
// holds banks 0 and 1 (addresses 000h-1FFh) twice, as numbers from row 3 column 3
// and as hex texts ("A5h") from row 3 column 20, 16 addresses a row; "-" in both
// places for an address without implemented bits. No widget here.

#include <QString>

struct Globals;

inline const char* kUserDataSheet = "USER Data";

// Writes the .xlsx file; throws EInOutError when it cannot be written.
void WriteUserDataWorkbook(const QString& path, const Globals& g);

#include "shell/spreadsheet_export.h"

#include <QFile>
#include <xlsxwriter.h>

#include "common/errors.h"
#include "common/globals.h"
#include "common/number_text.h"
#include "link/register_files.h"

void WriteUserDataWorkbook(const QString& path, const Globals& g) {
  const QByteArray name = QFile::encodeName(path);
  lxw_workbook* book = workbook_new(name.constData());
  if (!book) throw EInOutError("Cannot create file \"" + path + "\".");
  lxw_worksheet* sheet = workbook_add_worksheet(book, kUserDataSheet);
  // Rows and columns count from 0 here: the first number lands in row 3, column 3.
  for (int r = 0; r < 32; ++r)
    for (int c = 0; c < 16; ++c) {
      const int a = 16 * r + c;
      if (g.RegMask[a]) {
        const uint8_t v = ShadowAt(g, a);
        worksheet_write_number(sheet, r + 2, c + 2, v, nullptr);
        worksheet_write_string(sheet, r + 2, c + 19, (IntToHexW(v, 2) + "h").toLatin1().constData(), nullptr);
      } else {
        worksheet_write_string(sheet, r + 2, c + 2, "-", nullptr);
        worksheet_write_string(sheet, r + 2, c + 19, "-", nullptr);
      }
    }
  const lxw_error err = workbook_close(book);
  if (err != LXW_NO_ERROR)
    throw EInOutError("Cannot write file \"" + path + "\". " + QString::fromLatin1(lxw_strerror(err)));
}

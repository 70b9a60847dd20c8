#include "common/serial_port_file.h"

#include <QDir>
#include <QFile>

#include "common/errors.h"
#include "common/text_encoding.h"

bool LoadComPortMap(ComPortMap& map, const QString& folder) {
  const QString file = QDir(folder).filePath(ComPortMapFile);
  if (!QFile::exists(file)) return false;
  QByteArray text;
  try {
    text = ReadFileBytes(file);
  } catch (const EInOutError&) {
    return false;
  }
  map.Apply(text);
  return true;
}

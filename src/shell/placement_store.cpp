#include "shell/placement_store.h"

#include <QFile>
#include <algorithm>
#include <utility>

#include "common/errors.h"
#include "common/text_encoding.h"

namespace {
// The file stores 1 for maximized and 2 for minimized, the reverse of WindowState.
uint8_t FileStateOf(uint8_t s) { return s == 2 ? 1 : s == 1 ? 2 : 0; }
uint8_t StateOfFile(int s) { return s == 1 ? 2 : s == 2 ? 1 : 0; }
}  // namespace

TRestoreWin::TRestoreWin(const QString& baseName) : base_(baseName) {}

QString TRestoreWin::PlacementFile() const {
  return base_ + "." + (ExtName.isEmpty() ? QStringLiteral("wst") : ExtName);
}

const TRestoreWin::Node* TRestoreWin::Find(const QString& name) const {
  for (const Node& n : PlacementTable)
    if (n.Name == name) return &n;
  return nullptr;
}

TRestoreWin::Node* TRestoreWin::Find(const QString& name) {
  return const_cast<Node*>(std::as_const(*this).Find(name));
}

void TRestoreWin::FormShowHook() {
  if (first_show_ && Enabled) {
    LoadFromFile();
    ApplyToAllForms();
  }
  first_show_ = false;
}

void TRestoreWin::FormCloseHook() {
  if (Enabled) SaveToFile();
}

void TRestoreWin::Parse(const QByteArray& content) {
  QList<QByteArray> lines = content.split('\n');
  for (QByteArray& l : lines)
    if (l.endsWith('\r')) l.chop(1);
  int at = 0;
  auto next = [&](QByteArray& out) {
    if (at >= lines.size()) return false;
    out = lines[at++];
    return true;
  };
  QByteArray line;
  if (!next(line) || line != "1.10") return;
  if (!next(line)) return;
  bool ok = false;
  int count = line.trimmed().toInt(&ok);
  if (!ok) return;
  if (count > Capacity) count = Capacity;
  for (int i = 0; i < count && PlacementCount() < Capacity; ++i) {
    QByteArray name, numbers;
    if (!next(name) || !next(numbers)) return;
    QList<QByteArray> words = numbers.simplified().split(' ');
    if (words.size() < 6) return;
    int v[6];
    for (int k = 0; k < 6; ++k) {
      v[k] = words[k].toInt(&ok);
      if (!ok) return;
    }
    Node n;
    n.Name = QString::fromUtf8(name);
    n.Left = v[0];
    n.Top = v[1];
    n.Width = v[2];
    n.Height = v[3];
    n.WindowState = StateOfFile(v[4]);
    n.Shown = v[5] == 1 ? 1 : 0;
    PlacementTable.append(n);
  }
}

void TRestoreWin::LoadFromFile() {
  // A file that cannot be read is passed over: the windows keep their places.
  if (!QFile::exists(PlacementFile())) return;
  try {
    Parse(ReadFileBytes(PlacementFile()));
  } catch (const EInOutError&) {
  }
}

QByteArray TRestoreWin::Serialize() const {
  const int count = std::min(PlacementCount(), Capacity);
  QByteArray out = "1.10\r\n" + QByteArray::number(count) + "\r\n";
  for (int i = 0; i < count; ++i) {
    const Node& n = PlacementTable[i];
    // A name is one line.
    QByteArray name = n.Name.toUtf8();
    name.replace('\r', ' ').replace('\n', ' ');
    out += name + "\r\n";
    // Right-aligned in five places; a number that fills them (10428, -1920) or more
    // gets a blank before it, so numbers never run together.
    for (int v : {n.Left, n.Top, n.Width, n.Height, int(FileStateOf(n.WindowState)), int(n.Shown)}) {
      const QByteArray text = QByteArray::number(v);
      out += text.size() < 5 ? text.rightJustified(5, ' ') : " " + text;
    }
    out += "\r\n";
  }
  return out;
}

void TRestoreWin::SaveToFile() {
  for (const Window& w : Windows) RecordForm(w);
  WriteFileBytes(PlacementFile(), Serialize());
}

void TRestoreWin::ApplyToAllForms() {
  for (const Window& w : Windows) ApplyToForm(w);
}

QRect TRestoreWin::FitToScreen(QRect r, uint8_t state, bool sizeable) const {
  if (state != 0 || !sizeable || !ScreenSize) return r;
  QSize s = ScreenSize();
  if (r.width() > s.width()) r.setWidth(s.width());
  if (r.height() > s.height()) r.setHeight(s.height());
  if (r.left() > s.width() - 20) r.moveLeft(s.width() - r.width());
  if (r.top() > s.height() - 20) r.moveTop(s.height() - r.height());
  return r;
}

void TRestoreWin::ApplyToForm(const Window& w) {
  const Node* n = Find(w.name);
  if (!n || !w.designedPosition) return;
  QRect r = w.bounds ? w.bounds() : QRect();
  r.moveTo(n->Left, n->Top);
  if (w.sizeable) r.setSize(QSize(n->Width, n->Height));
  // The bounds first, then the state: a maximized window goes back to them.
  if (w.setBounds) w.setBounds(FitToScreen(r, n->WindowState, w.sizeable), w.sizeable);
  if (w.setState) w.setState(n->WindowState);
  if (AutoShow && n->Shown && w.show) w.show();
}

void TRestoreWin::RecordForm(const Window& w) {
  Node* n = Find(w.name);
  if (n && w.shownInSession && !w.shownInSession()) return;
  if (!n) {
    if (PlacementCount() >= Capacity) return;
    PlacementTable.append(Node{});
    n = &PlacementTable.last();
  }
  QRect r = w.bounds ? w.bounds() : QRect();
  n->Left = r.left();
  n->Top = r.top();
  n->Width = r.width();
  n->Height = r.height();
  n->WindowState = w.state ? w.state() : 0;
  n->Shown = w.showing && w.showing() ? 1 : 0;
  n->Name = w.name;
}

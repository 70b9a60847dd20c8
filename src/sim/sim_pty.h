#pragma once
// A pseudo-terminal pair for a simulated instrument: the instrument works the master
// side, the program opens the slave side by its path like any serial device.
//
// The kernel hands bytes between the two sides a moment after they were written, so
// both directions here wait until the bytes have crossed: a write returns once the
// slave side reports them waiting, a read takes exactly the bytes the program wrote.
// These waits last microseconds; each is capped (DeliveryCapMs of real time) so a
// broken pair cannot hang a test. Time as the instruments see it is the program's
// clock, never these waits.

#include <QByteArray>
#include <QString>

class SimPty {
public:
  SimPty();
  ~SimPty();
  SimPty(const SimPty&) = delete;
  SimPty& operator=(const SimPty&) = delete;

  bool Ok() const { return master_ >= 0 && slave_ >= 0; }
  const QString& SlavePath() const { return path_; }

  // Writes to the master side; returns once the bytes wait on the slave side (or the
  // cap has passed). The count written.
  int Write(const QByteArray& bytes);
  // Exactly `count` bytes from the master side, or fewer when the cap passes first.
  QByteArray Read(int count);
  // What waits on the master side now.
  QByteArray ReadAvailable();
  // Bytes waiting on the slave side for the program.
  int SlaveWaiting() const;

  static constexpr int DeliveryCapMs = 1000;

private:
  // One read of at most `most` bytes from the master side; false when none waits.
  bool ReadOnce(QByteArray& into, qsizetype most);

  int master_ = -1;
  int slave_ = -1;  // held open so the pair lives whether or not the program has it open
  QString path_;
};

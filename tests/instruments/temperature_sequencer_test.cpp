// The temperature test's step grid, chamber values and the run through the steps,
// against a scripted chamber on the fake clock.
#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "common/errors.h"
#include "instruments/step_tables.h"
#include "instruments/temperature_sequencer.h"
#include "platform/clock.h"

namespace {

TEST(TemperatureSteps, StepCountLimits) {
  const struct {
    int count;
    double start, step;
    int expected;
    bool rewrite;
  } cases[] = {
      {5, -40, 10, 5, false},    // -40 .. 0
      {10, 100, 10, 6, true},    // 100 + 11 x 10 > 150: down to 100 .. 150
      {1, 140, 10, 1, true},     // 160 > 150 but 140 is not: 1, rewritten
      {0, -40, 10, 1, false},    // 0 or empty: one step
      {-3, -40, 10, 1, false},   // a negative count is taken like 0
      {40, -40, 1, 30, true},    // a run holds 30 steps
      {2000000000, -40, 0.001, 30, true},
      {2000000000, 100, 1, 30, true},  // counted down fast, not one by one
      {3, 200, 10, 0, true},     // every step above 150
      {3, 200, -10, 0, true},    // stepping down from above: lowering never helps
      {3, 160, -10, 3, false},   // only the step after the last is looked at
  };
  for (const auto& c : cases) {
    bool rewrite = false;
    EXPECT_EQ(LimitStepCount(c.count, c.start, c.step, rewrite), c.expected) << c.count << " " << c.start;
    EXPECT_EQ(rewrite, c.rewrite) << c.count << " " << c.start;
  }
}

TEST(TemperatureSteps, GridRowsWithTwoDecimals) {
  TextGrid steps(5, 2), results(5, 2);
  TitleStepGrid(steps);
  FillStepGrid(steps, results, 5, -40, 10);
  EXPECT_EQ(steps.RowCount(), 6);
  EXPECT_EQ(results.RowCount(), 6);
  EXPECT_EQ(steps.Cell(1, 0), QString::fromUtf8("溫度"));
  EXPECT_EQ(steps.Cell(4, 0), QString::fromUtf8("濕度斜率"));
  EXPECT_EQ(steps.ColWidth(0), 20);
  EXPECT_EQ(steps.ColWidth(3), 50);
  const char* temps[] = {"-40.00", "-30.00", "-20.00", "-10.00", "0.00"};
  for (int s = 1; s <= 5; ++s) {
    EXPECT_EQ(steps.Cell(0, s), QString::number(s));
    EXPECT_EQ(steps.Cell(1, s), temps[s - 1]);
    EXPECT_EQ(steps.Cell(2, s), "0.00");
    EXPECT_EQ(steps.Cell(3, s), "0.00");
    EXPECT_EQ(steps.Cell(4, s), "5.00");
    EXPECT_EQ(results.Cell(0, s), QString::number(s));
  }
}

TEST(TemperatureSteps, ChamberValues) {
  EXPECT_EQ(ChamberTenths("25.5"), 250);
  EXPECT_EQ(ChamberTenths("-40.5"), -410);
  EXPECT_EQ(ChamberTenths("5.00"), 50);
  EXPECT_THROW(ChamberTenths("warm"), EConvertError);
  EXPECT_THROW(ChamberTenths(""), EConvertError);
  EXPECT_THROW(ChamberTenths("1e12"), EMathError);

  EXPECT_EQ(ProcessTenths(0xFF9C), -100);
  EXPECT_EQ(ProcessTenths(0x00FA), 250);
  EXPECT_EQ(ProcessTenths(0x8000), 32768);  // negative only above 8000h

  // Step 25.5: set point 250, band PV 241 .. 269 around 255.
  EXPECT_FALSE(InBand(240, 255));
  EXPECT_TRUE(InBand(241, 255));
  EXPECT_TRUE(InBand(269, 255));
  EXPECT_FALSE(InBand(270, 255));

  EXPECT_EQ(ElapsedText(0), "0:00:00");
  EXPECT_EQ(ElapsedText(323'900'000), "0:05:23");
  EXPECT_EQ(ElapsedText(int64_t(25) * 3600'000'000 + 61'000'000), "1:01:01");  // a time of day
}

// A chamber whose process temperature follows a script, one value per read.
class FakeRun : public ChamberRunHost {
public:
  explicit FakeRun(FakeClock& clock) : clock_(clock) {}

  bool IsRunning() const override { return running; }
  void ProcessMessages() override {
    ++pumps;
    if (onPump) onPump();
  }
  bool LoadTemp(int step) override {
    log.push_back("load " + std::to_string(step));
    return loadFails.empty() ? true : Take(loadFails);
  }
  bool ChamberRun() override {
    log.push_back("run");
    return runFails > 0 ? (--runFails, false) : true;
  }
  void RunCommandFailed() override { log.push_back("run error"); }
  bool ReadTemp(int& pv) override {
    ++reads;
    readTimes.push_back(clock_.SteadyUs());
    if (readFailsAt == reads) return false;
    pv = temps.empty() ? last : temps.front();
    if (!temps.empty()) temps.pop_front();
    last = pv;
    return true;
  }
  double TargetTenths(int step) override { return 10.0 * targets.at(static_cast<size_t>(step)); }
  void ShowTemperature(int pv) override { shown = pv; }
  void ShowSoak(int64_t us) override { soakShown = us; }
  void CreateStreams() override { log.push_back("create"); }
  void CloseStreams() override { log.push_back("close"); }
  void MeasureStep() override {
    log.push_back("measure " + std::to_string(step));
    ++step;
  }
  int CurrentStep() const override { return step; }
  void Entered(RunState s) override { states.push_back(s); }

  bool running = true;
  int step = 1;
  std::vector<double> targets{0, 25, 35, 45};
  std::deque<int> temps;
  int last = 0;
  int reads = 0;
  int readFailsAt = -1;
  int runFails = 0;
  std::deque<bool> loadFails;
  int pumps = 0;
  std::function<void()> onPump;
  int shown = 0;
  int64_t soakShown = -1;
  std::vector<std::string> log;
  std::vector<RunState> states;
  std::vector<int64_t> readTimes;

private:
  static bool Take(std::deque<bool>& q) {
    const bool v = q.front();
    q.pop_front();
    return v;
  }
  FakeClock& clock_;
};

class ChamberRun : public ::testing::Test {
protected:
  RunOutcome Run(int steps, int soakMinutes = 0, int limitMinutes = ApproachLimitMinutes) {
    ChamberRunSettings s;
    s.TempCount = steps;
    s.SoakMinutes = soakMinutes;
    s.ApproachLimitMinutes = limitMinutes;
    return RunChamberSteps(host, clock, s);
  }
  FakeClock clock;
  FakeRun host{clock};
};

TEST_F(ChamberRun, TwoStepsApproachSoakMeasureAndNoSetPointAfterTheLast) {
  host.temps = {200, 246, 250, 250, /* step 2 */ 300, 330, 345, 352};
  EXPECT_EQ(Run(2), RunOutcome::Completed);
  EXPECT_EQ(host.log, (std::vector<std::string>{"load 1", "run", "create", "measure 1", "load 2", "measure 2", "close"}));
  // Step 1: 200 out of band, 246 in, one soak cycle (soak 0) at 250.
  EXPECT_EQ(host.states[0], RunState::Starting);
  EXPECT_EQ(host.states[1], RunState::Approach);
  EXPECT_EQ(host.states[2], RunState::Soak);
  EXPECT_EQ(host.states[3], RunState::Measuring);
  EXPECT_EQ(host.states.back(), RunState::Closing);
  EXPECT_EQ(host.shown, 352);
  EXPECT_EQ(host.reads, 8);
  // A second between approach reads; the soak's read a second after the band was met.
  for (int i : {1, 2}) {
    EXPECT_GE(host.readTimes[i] - host.readTimes[i - 1], 1'000'000);
    EXPECT_LT(host.readTimes[i] - host.readTimes[i - 1], 1'001'000);
  }
}

TEST_F(ChamberRun, SoakLeavingTheBandStartsOverFromTheApproach) {
  // In band, out during the soak, back in: the soak restarts from zero.
  host.temps = {250, 250, 200, 250};
  host.temps.resize(200, 250);
  EXPECT_EQ(Run(1, 1), RunOutcome::Completed);
  const std::vector<RunState> want{RunState::Starting, RunState::Approach, RunState::Soak, RunState::Approach,
                                   RunState::Soak, RunState::Measuring, RunState::Closing};
  EXPECT_EQ(host.states, want);
  EXPECT_GT(host.soakShown, 60'000'000);  // a full minute in the band after the restart
}

TEST_F(ChamberRun, StopDuringApproachOrSoakClosesTheStreams) {
  for (int stopAtPump : {1, 3}) {
    FakeRun h(clock);
    h.temps.resize(50, stopAtPump == 1 ? 100 : 250);  // 1: never in band; 3: in the soak
    h.onPump = [&] {
      if (h.pumps == stopAtPump) h.running = false;
    };
    ChamberRunSettings s;
    s.TempCount = 2;
    s.SoakMinutes = 5;
    EXPECT_EQ(RunChamberSteps(h, clock, s), RunOutcome::Stopped);
    EXPECT_EQ(h.log, (std::vector<std::string>{"load 1", "run", "create", "close"})) << stopAtPump;
  }
}

TEST_F(ChamberRun, FailuresEndTheRun) {
  // The first set point: nothing else happens.
  host.loadFails = {false};
  EXPECT_EQ(Run(2), RunOutcome::SetPointFailed);
  EXPECT_EQ(host.log, (std::vector<std::string>{"load 1"}));

  // The run command is tried twice, a second apart, then the message.
  FakeRun h(clock);
  h.runFails = 2;
  ChamberRunSettings s;
  EXPECT_EQ(RunChamberSteps(h, clock, s), RunOutcome::RunCommandFailed);
  EXPECT_EQ(h.log, (std::vector<std::string>{"load 1", "run", "run", "run error"}));
  FakeRun once(clock);
  once.runFails = 1;
  once.temps = {10, 10};
  once.targets = {0, 1};
  EXPECT_EQ(RunChamberSteps(once, clock, s), RunOutcome::Completed);

  // A read failure, and the next set point failing, close the streams.
  FakeRun r(clock);
  r.readFailsAt = 2;
  r.temps = {100};
  EXPECT_EQ(RunChamberSteps(r, clock, s), RunOutcome::ReadFailed);
  EXPECT_EQ(r.log.back(), "close");
  FakeRun n(clock);
  n.loadFails = {true, false};
  n.temps.resize(10, 250);
  s.TempCount = 2;
  EXPECT_EQ(RunChamberSteps(n, clock, s), RunOutcome::NextSetPointFailed);
  EXPECT_EQ(n.log, (std::vector<std::string>{"load 1", "run", "create", "measure 1", "load 2", "close"}));
}

TEST_F(ChamberRun, ChamberThatNeverSettlesTimesOut) {
  host.temps.clear();
  host.last = 100;  // far from 25 degrees, for ever
  const int64_t start = clock.SteadyUs();
  EXPECT_EQ(Run(2, 20, 30), RunOutcome::ApproachTimedOut);
  const int64_t took = clock.SteadyUs() - start;
  EXPECT_GT(took, int64_t(50) * 60'000'000);  // the approach limit plus the soak time
  EXPECT_LT(took, int64_t(51) * 60'000'000);
  EXPECT_EQ(host.log.back(), "close");
}

TEST_F(ChamberRun, TwoTriesASecondApart) {
  int calls = 0;
  const int64_t t0 = clock.SteadyUs();
  EXPECT_FALSE(TwoTries(clock, [&] { return ++calls > 5; }));
  EXPECT_EQ(calls, 2);
  EXPECT_GT(clock.SteadyUs() - t0, 1'000'000);
  calls = 0;
  EXPECT_TRUE(TwoTries(clock, [&] { return ++calls == 1; }));
  EXPECT_EQ(calls, 1);
}

}  // namespace

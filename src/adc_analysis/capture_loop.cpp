#include "adc_analysis/capture_loop.h"

#include <algorithm>

#include "adc_analysis/analysis_state.h"
#include "adc_analysis/pair_capture.h"
#include "adc_analysis/stream_capture.h"
#include "common/sample_decoding.h"
#include "link/mx_up.h"
#include "platform/clock.h"

namespace {

template <typename F, typename... A>
void Call(const F& f, A&&... a) {
  if (f) f(std::forward<A>(a)...);
}

double MsSince(Clock& clock, int64_t t0) { return (clock.SteadyUs() - t0) / 1000.0; }

// The I/Q conversion's done bit gets as long as a capture waits for data, and at most
// this many polls.
constexpr int MaxDonePolls = 10'000;
constexpr int IqControlRegister = 15;
constexpr uint8_t IqStartBit = 0x04;
constexpr int IqResultRegister = 6;
constexpr int DgconRegister = 13;

FigureScale ScaleOf(const AnalysisState& st, const CaptureRequest& r) {
  return MakeScale(st.ScaleBits, st.G.ScaleDivisor, r.Gain, r.RefText, r.Temperature);
}

}  // namespace

CaptureOutcome CatchACDCOM(TMx_UP& up, AnalysisState& st, const CaptureRequest& request, const CaptureHooks& hooks) {
  Globals& g = st.G;
  for (int i = 0; i < 2; ++i) {
    g.XferBuf[2] = up.GetReg(2, 0);
    up.WriteRegs(2, 1, 0);
  }
  CaptureOutcome out;
  if (request.IqMode) {
    if ((up.GetReg(DgconRegister, 0) & 0x81) != 0x81) {
      Call(hooks.Warning, kDgconError);
      return out;
    }
    std::fill(st.AdiValues.begin(), st.AdiValues.end(), 0.0);
    std::fill(st.AdqValues.begin(), st.AdqValues.end(), 0.0);
    st.ShapeGridForIq();
    out.Completed = CatchADI(up, st, request, hooks);
    Call(hooks.Status, out.Completed ? kReadComplete : kReadError);
    out.Figures = StoreIqCaptureFigures(st, ScaleOf(st, request));
    return out;
  }
  out.Completed = ReadADCALL(up, st, request, hooks, &out.Ekg);
  Call(hooks.Status, out.Completed ? kReadComplete : kReadError);
  out.Figures = StoreAdcCaptureFigures(st, ScaleOf(st, request));
  return out;
}

namespace {
// A failed transfer has closed the device and returns at once, without the poll's
// pause: wait as a poll would, so the time-out runs on the clock instead of spinning.
void PauseIfLinkLost(TMx_UP& up, Clock& clock) {
  if (!up.G().Channels[0].Devc.Opened) clock.SleepUs(10'000);
}
}  // namespace

namespace {
// The stream loop of both stream captures: start, polls until `wanted` says enough,
// a stop request or, with an idle limit, that long without data (onPoll(n) tells
// whether a reply brought any), then `afterLoop`, and the stream stopped on every way
// out, errors included.
template <typename OnPoll, typename Wanted, typename AfterLoop>
void RunStream(TMx_UP& up, AnalysisState& st, uint8_t mode, bool live, int64_t idleLimitUs, const CaptureHooks& hooks,
               OnPoll onPoll, Wanted wanted, AfterLoop afterLoop) {
  Globals& g = st.G;
  Clock& clock = up.ClockSource();
  up.StartStream(mode);
  const int64_t t0 = clock.SteadyUs();
  int64_t tLast = t0;
  if (live) g.LiveChartFlag = st.MovingDiffMode ? 0 : 1;

  auto end = [&] {
    g.LiveChartFlag = 0;
    up.StopStream();
    st.CaptureMs = MsSince(clock, t0);
    Call(hooks.HideGauge);
  };
  try {
    do {
      // The reply's samples are taken and the window's messages handled inside the
      // poll's pause; a failed poll returns at once and is handled after its wait.
      bool handled = false;
      auto handle = [&](int n) {
        handled = true;
        if (onPoll(n, t0)) tLast = clock.SteadyUs();
        Call(hooks.ProcessMessages);
      };
      const int n = up.ReadStream(0, handle);
      if (!handled) {
        PauseIfLinkLost(up, clock);
        handle(n);
      }
      if (idleLimitUs > 0 && clock.SteadyUs() - tLast > idleLimitUs) st.CaptureIdle = true;
    } while (wanted() && !st.CaptureIdle);
    afterLoop();
  } catch (...) {
    end();
    st.CaptureIdle = true;
    throw;
  }
  end();
}
}  // namespace

bool ReadADCALL(TMx_UP& up, AnalysisState& st, const CaptureRequest& request, const CaptureHooks& hooks,
                std::optional<EkgSummary>* ekg) {
  Globals& g = st.G;
  Clock& clock = up.ClockSource();
  AdcStreamCapture capture(st);
  capture.Begin({request.Mode, request.Temperature, request.Ekg});
  Call(hooks.ShowGauge, 0);
  RunStream(
      up, st, request.Mode, request.LiveChart, CaptureTimeoutUs, hooks,
      [&](int n, int64_t t0) {
        if (n <= 0) return false;
        capture.OnReply(n, g.PacketBuf);
        st.CaptureMs = MsSince(clock, t0);
        return true;
      },
      [&] { return capture.Wanted(); },
      [&] {
        if (request.Ekg && request.EkgStatistics && ekg) *ekg = capture.EkgResult();
      });
  return capture.Finish(request.DiffLength);
}

CaptureOutcome CatchACDCOMSH(TMx_UP& up, AnalysisState& st, const PairRequest& request, const CaptureHooks& hooks) {
  st.CaptureIdle = false;
  st.ShapeGridForPairs();
  st.G.SampleCount = 0;
  CaptureOutcome out;
  out.Completed = ReadADCSH(up, st, request, hooks);
  Call(hooks.Status, out.Completed ? kReadComplete : kReadError);
  const int bits = st.ScaleBits == 0 ? 1 : st.ScaleBits;
  st.ScaleBits = bits;
  out.Figures = StorePairCaptureFigures(st, MakeScale(bits, st.G.ScaleDivisor, request.Gain, request.RefText, false));
  return out;
}

bool ReadADCSH(TMx_UP& up, AnalysisState& st, const PairRequest& request, const CaptureHooks& hooks) {
  Globals& g = st.G;
  PairStreamCapture capture(st);
  capture.Begin({request.Filter, request.RejectLimit});
  Call(hooks.ShowGauge, 0);
  // No time-out: a board that sends no pairs is polled until the user stops the capture.
  RunStream(
      up, st, 7, true, 0, hooks,
      [&](int n, int64_t) {
        const bool used = capture.OnReply(n, g.PacketBuf);
        Call(hooks.Status, QString::number(used ? 0 : n));
        Call(hooks.ShowGauge, g.SampleCount * 100 / st.TargetCount);
        return used;
      },
      [&] { return capture.Wanted(); }, [] {});
  return capture.Finish();
}

bool CatchADI(TMx_UP& up, AnalysisState& st, const CaptureRequest& request, const CaptureHooks& hooks) {
  Globals& g = st.G;
  Clock& clock = up.ClockSource();
  st.CaptureIdle = false;
  st.TargetCount = g.NPoints > 0 ? std::min(g.NPoints, MaxSamplePoints) : 256;
  Call(hooks.ShowGauge, 0);
  st.ClearWork(2 * g.NPoints);

  const int64_t t0 = clock.SteadyUs();
  g.IQSampleCount = 0;
  Call(hooks.ProcessMessages);
  int64_t tLast = clock.SteadyUs();
  if (request.LiveChart) g.LiveChartFlag = 1;
  double sumI = 0, sumQ = 0;

  do {
    g.XferBuf[IqControlRegister] = up.GetReg(IqControlRegister, 0) | IqStartBit;
    const bool started = up.SendRegs(IqControlRegister, 1, 0);
    PauseIfLinkLost(up, clock);
    if (started) {
      tLast = clock.SteadyUs();
      // A failed read ends the wait as a cleared bit would; a bit that never clears
      // ends the capture like a board that stopped sending.
      bool stuck = false;
      for (int polls = 0; up.ReadRegs(IqControlRegister, 1, 0) && (g.PacketBuf[1] & IqStartBit); ++polls) {
        if (polls >= MaxDonePolls || clock.SteadyUs() - tLast > CaptureTimeoutUs) {
          stuck = true;
          break;
        }
      }
      if (stuck) {
        st.CaptureIdle = true;
      } else {
        // A failed result read skips the pair and goes straight to the next start.
        if (!up.ReadRegs(IqResultRegister, 6, 0)) continue;
        const int c = g.IQSampleCount;
        double i = DecodeIqWord(Word24(g.PacketBuf + 1));
        double q = DecodeIqWord(Word24(g.PacketBuf + 4));
        st.AdiValues[c] = i;
        st.AdqValues[c] = q;
        st.MemoryF.SetGeneral(c, i);
        st.MemoryF.SetGeneral(IqQPosition(st.TargetCount, c), q);
        g.IQSampleCount = c + 1;
        sumI += i;
        sumQ += q;
        st.IQCaptureMs = MsSince(clock, t0);
      }
    }
    if (clock.SteadyUs() - tLast > CaptureTimeoutUs) st.CaptureIdle = true;
    Call(hooks.ProcessMessages);
    Call(hooks.ShowGauge, g.IQSampleCount * 100 / st.TargetCount);
  } while (g.IQSampleCount < st.TargetCount && !st.CaptureIdle);

  g.LiveChartFlag = 0;
  st.LastCount = g.IQSampleCount;
  // No pair stored leaves the means at 0.
  st.AdiMean = g.IQSampleCount > 0 ? sumI / g.IQSampleCount : 0;
  st.AdqMean = g.IQSampleCount > 0 ? sumQ / g.IQSampleCount : 0;
  const bool completed = !st.CaptureIdle;
  st.CaptureIdle = true;
  return completed;
}

void WaitTRIGER(Clock& clock, int seconds, const std::function<void()>& processMessages,
                const std::function<void(const QString&)>& status) {
  const int64_t start = clock.SteadyUs();
  const int64_t limit = static_cast<int64_t>(seconds) * 1'000'000;
  for (;;) {
    Call(processMessages);
    const int64_t elapsed = clock.SteadyUs() - start;
    Call(status, QString::number((elapsed / 1'000'000) % 60));
    if (elapsed > limit) break;
    // Between rounds of messages the program sleeps instead of spinning.
    clock.SleepUs(std::min<int64_t>(10'000, limit - elapsed + 1));
  }
}

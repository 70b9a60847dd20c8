#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "adc_analysis/capture_files.h"
#include "analysis_fixture.h"
#include "common/errors.h"

namespace {

class CaptureFilesTest : public ::testing::Test {
protected:
  QByteArray Saved(bool iq) {
    QString path = dir.filePath(CaptureCsvName(iq));
    SAVECOM(path, st, iq);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
  }

  QTemporaryDir dir;
  Globals g;
  AnalysisState st{g};
};

TEST_F(CaptureFilesTest, AdcLayoutHeaderFiguresThenOneSampleALine) {
  g.SampleCount = 3;
  st.CaptureSamples[0] = 1234;
  st.CaptureSamples[1] = -5;
  st.CaptureSamples[2] = 0.125;
  const double r[7] = {12, 2288.818359375, 809.2194914, 22.5, 4, 1.41421356, 21};
  std::copy(r, r + 7, g.Channels[0].ChannelResults.begin());
  EXPECT_EQ(Saved(false),
            "ADC DATA,Average,VPP(nV),RMS Noise(nV),Enob,VPP(Count),RMS Noise(Count),Noise Free\r\n"
            "1234.00,12.00,2288.82,809.22,22.50,4.00,1.41,21.00\r\n"
            "-5.00\r\n"
            "0.13\r\n");

  g.SampleCount = 0;
  EXPECT_EQ(Saved(false),
            "ADC DATA,Average,VPP(nV),RMS Noise(nV),Enob,VPP(Count),RMS Noise(Count),Noise Free\r\n");
}

TEST_F(CaptureFilesTest, IqLayoutFiguresInColumnsSevenToThirteen) {
  g.NPoints = 32;
  st.ShapeGridForIq();  // 2 rows of I, 2 rows of Q
  for (int k = 0; k < 32; ++k) {
    st.MemoryF.SetGeneral(k, k + 0.5);
    st.MemoryF.SetGeneral(IqQPosition(32, k), -k);
  }
  for (int i = 0; i < 7; ++i) {
    g.Channels[1].ChannelResults[i] = i + 1;
    g.Channels[2].ChannelResults[i] = -(i + 1) / 4.0;
  }
  const QList<QByteArray> lines = Saved(true).split('\n');
  ASSERT_EQ(lines.size(), 33);  // 32 lines, each ending in CR LF
  EXPECT_EQ(lines[32], "");
  EXPECT_EQ(lines[0],
            "ADI DATA,0.5,ADQ DATA,0,,,Average,VPP(nV),RMS Noise(nV),Enob,VPP(Count),RMS Noise(Count),"
            "Noise Free\r");
  EXPECT_EQ(lines[1], ",1.5,,-1,,ADI,1.00,2.00,3.00,4.00,5.00,6.00,7.00\r");
  EXPECT_EQ(lines[2], ",2.5,,-2,,ADQ,-0.25,-0.50,-0.75,-1.00,-1.25,-1.50,-1.75\r");
  EXPECT_EQ(lines[3], ",3.5,,-3\r");
  EXPECT_EQ(lines[31], ",31.5,,-31\r");
  // Column 7 of lines 2 and 3 holds the first figure.
  EXPECT_EQ(lines[1].split(',')[6], "1.00");
  EXPECT_EQ(lines[2].split(',')[12], "-1.75\r");
}

TEST_F(CaptureFilesTest, FileThatCannotBeCreatedRaises) {
  EXPECT_THROW(SAVECOM(dir.filePath("missing/MxADC.CSV"), st, false), EInOutError);
  EXPECT_EQ(CaptureCsvName(false), "MxADC.CSV");
  EXPECT_EQ(CaptureCsvName(true), "MxADIQ.CSV");
}

}  // namespace

// Track times, the track list and the sector arithmetic of the TOC.
#include <gtest/gtest.h>

#include "ripper/ScsiManagerUnit.h"
#include "support/RecordingWindow.h"
#include "support/ScriptedDevice.h"

namespace pellamy::test {
namespace {

CdromToc MakeToc(int first, int last, const std::vector<std::array<int, 3>>& positions) {
  ScriptedDevice scratch;
  scratch.SetToc(first, last, positions);
  return scratch.toc;
}

TEST(TrackTime, DifferencesOfMinutesAndSecondsIgnoringFrames) {
  // Track 3 at 4:58:70, track 4 at 8:03:10: 3:05.
  CdromToc toc = MakeToc(1, 4, {{0, 2, 0}, {2, 0, 0}, {4, 58, 70}, {8, 3, 10}, {10, 0, 0}});
  EXPECT_EQ(TCDRipperManager::GetTrackTime(toc, 3), "3:05");
  EXPECT_EQ(TCDRipperManager::GetTrackTime(toc, 1), "1:58");
  // The last track is measured to the lead-out.
  EXPECT_EQ(TCDRipperManager::GetTrackTime(toc, 4), "1:57");
  // Above the last track: empty.
  EXPECT_EQ(TCDRipperManager::GetTrackTime(toc, 5), "");
  EXPECT_EQ(TCDRipperManager::GetTrackTime(toc, 99), "");

  CdromToc shortOne = MakeToc(1, 1, {{0, 2, 0}, {0, 2, 74}});
  EXPECT_EQ(TCDRipperManager::GetTrackTime(shortOne, 1), "0:00");
  CdromToc longOne = MakeToc(1, 1, {{0, 2, 0}, {12, 47, 0}});
  EXPECT_EQ(TCDRipperManager::GetTrackTime(longOne, 1), "12:45");
  EXPECT_EQ(TCDRipperManager::GetTrackTime(CdromToc{}, 0), "0:00");
}

TEST(TrackTime, DiscNotStartingAtTrackOneMeasuresEachTrackItself) {
  // Tracks 3..5; the entry after track 5 is the lead-out. Bytes beyond it
  // are junk that must never be read.
  CdromToc toc = MakeToc(3, 5, {{0, 2, 0}, {1, 2, 0}, {3, 12, 0}, {4, 0, 0}, {99, 59, 74}, {99, 59, 74}});
  EXPECT_EQ(TCDRipperManager::GetTrackTime(toc, 3), "1:00");
  EXPECT_EQ(TCDRipperManager::GetTrackTime(toc, 4), "2:10");
  EXPECT_EQ(TCDRipperManager::GetTrackTime(toc, 5), "0:48");
  EXPECT_EQ(TCDRipperManager::GetTrackTime(toc, 2), "");
}

TEST(TrackList, ListsEveryTrackUntickedWithItsTime) {
  ScriptedDevice device;
  std::vector<std::array<int, 3>> positions;
  for (int t = 0; t <= 12; ++t) positions.push_back({t * 3, 2 + t, 0});
  device.SetToc(1, 12, positions);
  RecordingWindow window;
  window.SetRows(3, {0});
  TCDRipperManager manager("", 'E');
  CdromToc copy{};
  manager.ReadToc(copy);
  manager.FillTrackList();
  auto rows = window.Rows();
  ASSERT_EQ(rows.size(), 12u);
  EXPECT_EQ(rows[0].first, "Track 1");
  EXPECT_EQ(rows[11].first, "Track 12");
  EXPECT_EQ(rows[0].second, "3:01");
  EXPECT_EQ(rows[11].second, "3:01");
  for (int i = 0; i < 12; ++i) EXPECT_FALSE(window.RowTicked(i));
  EXPECT_EQ(window.clearCount, 1);
}

TEST(TrackList, UnreadableDiscListsTheAllZeroRecord) {
  ScriptedDevice device;
  device.tocFails = true;
  RecordingWindow window;
  TCDRipperManager manager("", 'E');
  CdromToc copy;
  std::memset(&copy, 0xAB, sizeof(copy));
  manager.ReadToc(copy);
  EXPECT_EQ(copy.FirstTrack, 0xAB) << "a failed read leaves the destination alone";
  manager.FillTrackList();
  auto rows = window.Rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].first, "Track 0");
  EXPECT_EQ(rows[0].second, "0:00");
}

TEST(TrackList, LastBeforeFirstLeavesTheListEmpty) {
  ScriptedDevice device;
  device.SetToc(5, 4, {{0, 2, 0}, {1, 0, 0}});
  RecordingWindow window;
  window.SetRows(2, {});
  TCDRipperManager manager("", 'E');
  CdromToc copy{};
  manager.ReadToc(copy);
  manager.FillTrackList();
  EXPECT_TRUE(window.Rows().empty());
}

TEST(SectorArithmetic, PositionsToSectors) {
  TocTrackEntry e{};
  TocSetPosition(e, 0);
  EXPECT_EQ(TocMinute(e), 0);
  EXPECT_EQ(TocSecond(e), 2);
  EXPECT_EQ(TocFrame(e), 0);
  EXPECT_EQ(TocStartSector(e), 0);
  EXPECT_EQ(TocLastSectorBefore(e), -1);
  TocSetPosition(e, 13500);
  EXPECT_EQ(TocMinute(e), 3);
  EXPECT_EQ(TocSecond(e), 2);
  EXPECT_EQ(TocStartSector(e), 13500);
  e.Address[1] = 79, e.Address[2] = 59, e.Address[3] = 74;
  EXPECT_EQ(TocStartSector(e), 79 * 4500 + 59 * 75 + 74 - 150);
}

}  // namespace
}  // namespace pellamy::test

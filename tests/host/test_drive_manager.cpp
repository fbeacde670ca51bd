// The drive manager's device requests: opening, the ASPI check, raw reads,
// SCSI commands and the drive description.
#include <gtest/gtest.h>

#include "base/Exceptions.h"
#include "ripper/ScsiManagerUnit.h"
#include "support/RecordingWindow.h"
#include "support/ScriptedDevice.h"

namespace pellamy::test {
namespace {

const std::string kScsiError = "SCSI\xE9\x94\x99\xE8\xAF\xAF:";  // the GBK prefix, converted

TEST(DriveManager, OpensTheDevicePathAndClosesItOnce) {
  ScriptedDevice device;
  {
    TCDRipperManager manager("C:\\out\\", 'E');
    EXPECT_EQ(manager.OutputDir(), "C:\\out\\");
    ASSERT_EQ(device.opened.size(), 1u);
    EXPECT_EQ(device.opened[0], "\\\\.\\E:");
    EXPECT_EQ(device.openHandles, 1);
    EXPECT_NE(AspiEntries().GetSupportInfo, nullptr);
    EXPECT_NE(AspiEntries().SendCommand, nullptr);
  }
  EXPECT_EQ(device.openHandles, 0);
  EXPECT_EQ(device.closes, 1);
}

TEST(DriveManager, MissingAspiLibraryIsTheSilentAbortWithTheHandleClosed) {
  ScriptedDevice device;
  RecordingWindow window;
  device.aspiPresent = false;
  EXPECT_THROW(TCDRipperManager("", 'D'), EAbort);
  EXPECT_EQ(device.openHandles, 0);
  EXPECT_TRUE(window.Messages().empty());
}

TEST(DriveManager, UnopenableDriveFailsEachRequestLater) {
  ScriptedDevice device;
  RecordingWindow window;
  device.openSucceeds = false;
  TCDRipperManager manager("", 'Q');
  CdromToc toc{};
  manager.ReadToc(toc);
  EXPECT_EQ(manager.Toc().LastTrack, 0);
  std::uint8_t buffer[2352];
  EXPECT_FALSE(manager.ReadRawSectors(0, buffer, 1));
  EXPECT_EQ(window.Messages(), std::vector<std::string>{"6"});
}

TEST(DriveManager, RawReadRequestsAndTheirErrorCodes) {
  ScriptedDevice device;
  RecordingWindow window;
  TCDRipperManager manager("", 'E');
  std::vector<std::uint8_t> buffer(13 * 2352);
  EXPECT_TRUE(manager.ReadRawSectors(0, buffer.data(), 13));
  EXPECT_TRUE(manager.ReadRawSectors(1, buffer.data(), 1));
  EXPECT_EQ(buffer[5], ScriptedByte(1, 5));
  ASSERT_EQ(device.requests.size(), 2u);
  EXPECT_EQ(device.requests[0].DiskOffset, 0);
  EXPECT_EQ(device.requests[0].SectorCount, 13u);
  EXPECT_EQ(device.requests[0].TrackMode, 2u);
  EXPECT_EQ(device.outLengths[0], 30576u);
  EXPECT_EQ(device.requests[1].DiskOffset, 2048);
  EXPECT_EQ(device.outLengths[1], 2352u);

  device.failAt[100] = 21;
  device.failAt[200] = 0xC000000Eu;  // shown unsigned
  EXPECT_FALSE(manager.ReadRawSectors(95, buffer.data(), 13));
  EXPECT_FALSE(manager.ReadRawSectors(200, buffer.data(), 1));
  EXPECT_EQ(window.Messages(), (std::vector<std::string>{"21", "3221225486"}));
  // The offset is a 32-bit product: sector 1048576 wraps as the drive was
  // always asked.
  manager.ReadRawSectors(1048576, buffer.data(), 1);
  EXPECT_EQ(device.requests.back().DiskOffset, std::int64_t{INT32_MIN});
}

ScsiCommandBlock InquiryCommand(std::uint8_t* data, std::uint8_t flags) {
  ScsiCommandBlock c{};
  c.Command = 2;
  c.Flags = flags;
  c.DataLength = 56;
  c.DataBuffer = data;
  c.SenseLength = 14;
  c.CdbLength = 6;
  const std::uint8_t cdb[] = {0x12, 0, 0, 0, 56, 0, 0xEE, 0xEE};
  std::memcpy(c.Cdb, cdb, sizeof(cdb));
  return c;
}

TEST(ScsiCommand, FillsThePassThroughBlockFromTheCommand) {
  ScriptedDevice device;
  RecordingWindow window;
  std::uint8_t data[56];
  for (auto [flags, direction] : {std::pair<int, int>{0x48, 1}, {0x10, 0}, {0x18, 1}, {0x40, 2}, {0, 2}}) {
    ScsiCommandBlock c = InquiryCommand(data, static_cast<std::uint8_t>(flags));
    c.HostAdapter = 3, c.Target = 4, c.Lun = 5;
    EXPECT_TRUE(TCDRipperManager::ExecScsiCommand(77, c));
    EXPECT_EQ(c.Status, 1);
    const PassThroughBlock& b = device.passThrough.back();
    EXPECT_EQ(b.Spt.Length, sizeof(PassThroughDirect));
    EXPECT_EQ(b.Spt.DataIn, direction) << "flags " << flags;
    EXPECT_EQ(b.Spt.CdbLength, 6);
    EXPECT_EQ(b.Spt.SenseInfoLength, 14);
    EXPECT_EQ(b.Spt.DataTransferLength, 56u);
    EXPECT_EQ(b.Spt.TimeOutValue, 1000u);
    EXPECT_EQ(b.Spt.DataBuffer, data);
    EXPECT_EQ(b.Spt.SenseInfoOffset, offsetof(PassThroughBlock, Sense));
    EXPECT_EQ(b.Spt.PathId + b.Spt.TargetId + b.Spt.Lun, 0);
    const std::uint8_t cdb[16] = {0x12, 0, 0, 0, 56, 0};
    EXPECT_EQ(std::memcmp(b.Spt.Cdb, cdb, 16), 0) << "only the CDB length is copied";
  }
  EXPECT_TRUE(window.Messages().empty());
}

TEST(ScsiCommand, RejectedAndFailedCommandsShowTheSenseCodes) {
  ScriptedDevice device;
  RecordingWindow window;
  std::uint8_t data[56];
  device.checkCondition = true;
  device.sense[0] = 0xF5, device.sense[1] = 0x24, device.sense[2] = 0x00;  // key is the low nibble
  ScsiCommandBlock c = InquiryCommand(data, 0x48);
  EXPECT_TRUE(TCDRipperManager::ExecScsiCommand(77, c));
  EXPECT_EQ(c.Status, 0);

  device.checkCondition = false;
  device.passThroughReaches = false;
  ScsiCommandBlock d = InquiryCommand(data, 0x48);
  EXPECT_FALSE(TCDRipperManager::ExecScsiCommand(77, d));
  EXPECT_EQ(d.Status, 0);
  EXPECT_EQ(window.Messages(), (std::vector<std::string>{kScsiError + "05/24/00", kScsiError + "00/00/00"}));
}

TEST(DriveDescription, KeepsThePaddingOfEachField) {
  ScriptedDevice device;
  RecordingWindow window;
  const std::string fields = "ACME    CD-Writer 52x   1.0A";
  std::copy(fields.begin(), fields.end(), device.inquiry.begin() + 8);
  device.inquiry[20] = 0;  // a zero byte inside a field is kept too
  std::string expected = "E:  ACME     CD-W";
  expected += '\0';
  expected += "iter 52x    1.0A";
  EXPECT_EQ(TCDRipperManager::GetDriveDescription('E'), expected);
  EXPECT_EQ(device.opened.back(), "\\\\.\\E:");
  EXPECT_EQ(device.openHandles, 0);
  EXPECT_EQ(device.passThrough.back().Spt.Cdb[0], 0x12);
  EXPECT_EQ(device.passThrough.back().Spt.Cdb[4], 56);

  device.checkCondition = true;
  device.sense[0] = 5, device.sense[1] = 0x24;
  EXPECT_EQ(TCDRipperManager::GetDriveDescription('F'), "");
  EXPECT_EQ(window.Messages(), std::vector<std::string>{kScsiError + "05/24/00"});
  EXPECT_EQ(device.openHandles, 0);
}

TEST(DriveDescription, NeedsNoAspiLibrary) {
  ScriptedDevice device;
  device.aspiPresent = false;
  const std::string fields = "VENDOR  PRODUCT NAME    REV1";
  std::copy(fields.begin(), fields.end(), device.inquiry.begin() + 8);
  EXPECT_EQ(TCDRipperManager::GetDriveDescription('Z'), "Z:  VENDOR   PRODUCT NAME     REV1");
}

}  // namespace
}  // namespace pellamy::test

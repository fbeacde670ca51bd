// The real Win32 device calls, the file layer and the encoder DLL under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "base/Exceptions.h"
#include "encoder/LameEnc.h"
#include "ripper/DeviceIo.h"
#include "ripper/DriveScan.h"
#include "ripper/FileIo.h"
#include "ripper/ScsiManagerUnit.h"
#include "ripper/TextCodec.h"
#include "support/RecordingWindow.h"

namespace pellamy::test {
namespace {

// A letter Wine maps to nothing.
char AbsentLetter() {
  for (char letter = 'Q'; letter <= 'Y'; ++letter)
    if (GetDriveTypeA((std::string(1, letter) + ":\\").c_str()) == DRIVE_NO_ROOT_DIR) return letter;
  return 0;
}

TEST(Win32Backend, DriveTypesComeFromTheSystem) {
  DeviceIo& io = PlatformDeviceIo();
  EXPECT_EQ(io.DriveTypeOf("C:\\"), DriveType::Fixed);
  const char absent = AbsentLetter();
  ASSERT_NE(absent, 0);
  EXPECT_EQ(io.DriveTypeOf(std::string(1, absent) + ":\\"), DriveType::NoRootDir);
  EXPECT_EQ(FirstFreeDriveLetter(), [] {
    for (char l = 'D'; l <= 'Z'; ++l)
      if (GetDriveTypeA((std::string(1, l) + ":\\").c_str()) == DRIVE_NO_ROOT_DIR) return l;
    return '\0';
  }());
}

TEST(Win32Backend, MissingDriveFailsEveryRequestAfterASilentOpen) {
  RecordingWindow window;
  const char absent = AbsentLetter();
  DeviceIo& io = PlatformDeviceIo();
  EXPECT_EQ(io.Open(DevicePath(absent)), kInvalidDevice);
  EXPECT_NE(io.LastError(), 0u);

  TCDRipperManager manager("", absent);  // the open is not tested
  CdromToc toc{};
  manager.ReadToc(toc);
  EXPECT_EQ(manager.Toc().FirstTrack, 0);
  EXPECT_EQ(manager.Toc().LastTrack, 0);
  std::uint8_t buffer[2352];
  EXPECT_FALSE(manager.ReadRawSectors(0, buffer, 1));
  ASSERT_EQ(window.Messages().size(), 1u);
  EXPECT_EQ(window.Messages()[0], std::to_string(ERROR_INVALID_HANDLE));

  EXPECT_EQ(TCDRipperManager::GetDriveDescription(absent), "");
  ASSERT_EQ(window.Messages().size(), 2u);
  EXPECT_EQ(window.Messages()[1], "SCSI\xE9\x94\x99\xE8\xAF\xAF:00/00/00");
}

TEST(Win32Backend, AspiEntryPointsAreLookedUp) {
  TCDRipperManager manager("", 'C');
  HMODULE aspi = GetModuleHandleA("wnaspi32.dll");
  ASSERT_NE(aspi, nullptr) << "the library stays loaded";
  EXPECT_EQ(AspiEntries().GetSupportInfo, reinterpret_cast<void*>(GetProcAddress(aspi, "GetASPI32SupportInfo")));
  EXPECT_EQ(AspiEntries().SendCommand, reinterpret_cast<void*>(GetProcAddress(aspi, "SendASPI32Command")));
}

TEST(Win32Backend, ScsiErrorTextConvertsFromCodePage936) {
  EXPECT_EQ(Cp936ToUtf8("\x53\x43\x53\x49\xB4\xED\xCE\xF3\x3A"), "SCSI\xE9\x94\x99\xE8\xAF\xAF:");
}

TEST(AspiMissing, EveryDriveManagerIsTheSilentAbort) {
  RecordingWindow window;
  AspiEntryPoints entries;
  EXPECT_FALSE(PlatformDeviceIo().LoadAspi(entries));
  EXPECT_THROW(TCDRipperManager("", 'C'), EAbort);
  EXPECT_TRUE(window.Messages().empty());
}

TEST(Win32Files, CreateWriteReadAndDirectories) {
  char temp[MAX_PATH];
  ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
  const std::string root = std::string(temp) + "pellamy-files-" + std::to_string(GetCurrentProcessId());
  const std::string dir = root + "\\a\\b\\";
  ASSERT_TRUE(ForceDirectories(dir));
  EXPECT_TRUE(DirectoryExists(root + "\\a\\b"));
  const std::string name = dir + "track 1.wav";
  {
    TFile f(name, TFile::Mode::CreateReadWrite);
    ASSERT_TRUE(f.IsOpen());
    EXPECT_EQ(f.Write("0123456789", 10), 10);
    TFile second(name, TFile::Mode::OpenRead);
    EXPECT_FALSE(second.IsOpen()) << "no sharing while open";
  }
  {
    TFile f(name, TFile::Mode::OpenRead);
    EXPECT_EQ(f.SeekEnd(), 10);
    EXPECT_EQ(f.Seek(4), 4);
    char b[16] = {};
    EXPECT_EQ(f.Read(b, 16), 6);
    EXPECT_STREQ(b, "456789");
    EXPECT_EQ(f.Write("x", 1), -1);
  }
  EXPECT_TRUE(DeleteFileNamed(name));
  EXPECT_FALSE(FileExists(name));
  EXPECT_THROW(ForceDirectories(""), Exception);
  RemoveDirectoryA((root + "\\a\\b").c_str());
  RemoveDirectoryA((root + "\\a").c_str());
  RemoveDirectoryA(root.c_str());
}

TEST(Lame, EncoderDllIsBoundAtLoadTime) {
  EXPECT_NE(GetModuleHandleA("Lame_enc.dll"), nullptr);
  EncoderConfig config{};
  config.dwConfig = kBeConfigLame;
  config.dwStructVersion = 1;
  config.dwStructSize = 331;
  config.dwSampleRate = 44100;
  config.nMode = kBeModeJointStereo;
  config.dwBitrate = 128;
  config.dwMpegVersion = 1;
  std::uint32_t samples = 0, size = 0;
  BeStream stream = 0;
  ASSERT_EQ(beInitStream(&config, &samples, &size, &stream), 0u);
  EXPECT_EQ(samples, 2304u);
  std::vector<std::int16_t> pcm(samples, 0);
  std::vector<std::uint8_t> out(size);
  std::uint32_t bytes = 0;
  for (int i = 0; i < 20; ++i) ASSERT_EQ(beEncodeChunk(stream, samples, pcm.data(), out.data(), &bytes), 0u);
  ASSERT_EQ(beDeinitStream(stream, out.data(), &bytes), 0u);
  EXPECT_EQ(beCloseStream(stream), 0u);
  config.dwStructSize = 330;
  EXPECT_NE(beInitStream(&config, &samples, &size, &stream), 0u);
}

}  // namespace
}  // namespace pellamy::test

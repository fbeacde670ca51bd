// ScriptedDevice: a drive whose TOC, sectors, faults and INQUIRY answer a
// test sets byte for byte, recording every request it receives.
#pragma once

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "ripper/DeviceIo.h"

namespace pellamy::test {

// The byte at offset i of sector lba on a scripted disc.
inline std::uint8_t ScriptedByte(std::int32_t lba, std::size_t i) {
  return static_cast<std::uint8_t>((static_cast<std::uint32_t>(lba) * 131u + i * 7u + (i >> 8)) & 0xFF);
}

class ScriptedDevice : public DeviceIo {
 public:
  ScriptedDevice() { SetDeviceIo(this); }
  ~ScriptedDevice() override { SetDeviceIo(nullptr); }

  // Positions as (minute, second, frame); the last one is the lead-out.
  void SetToc(int first, int last, const std::vector<std::array<int, 3>>& positions) {
    std::memset(&toc, 0, sizeof(toc));
    toc.FirstTrack = static_cast<std::uint8_t>(first);
    toc.LastTrack = static_cast<std::uint8_t>(last);
    for (std::size_t k = 0; k < positions.size(); ++k)
      for (int j = 0; j < 3; ++j) toc.TrackData[k].Address[1 + j] = static_cast<std::uint8_t>(positions[k][j]);
  }

  DeviceHandle Open(const std::string& path) override {
    std::lock_guard lock(mutex);
    opened.push_back(path);
    if (!openSucceeds) {
      lastError = 2;
      return kInvalidDevice;
    }
    ++openHandles;
    return 77;
  }
  void Close(DeviceHandle device) override {
    std::lock_guard lock(mutex);
    if (device == 77) --openHandles;
    ++closes;
  }
  bool ReadToc(DeviceHandle device, CdromToc& out) override {
    std::lock_guard lock(mutex);
    ++tocReads;
    if (device != 77 || tocFails) return Fail(21);
    out = toc;
    if (tocAfterFirstRead) {
      toc = *tocAfterFirstRead;
      tocAfterFirstRead.reset();
    }
    return true;
  }
  bool RawRead(DeviceHandle device, const RawReadRequest& request, void* out, std::uint32_t outLength) override {
    std::lock_guard lock(mutex);
    requests.push_back(request);
    outLengths.push_back(outLength);
    if (device != 77) return Fail(6);
    const std::int32_t first = static_cast<std::int32_t>(request.DiskOffset / 2048);
    for (std::uint32_t k = 0; k < request.SectorCount; ++k) {
      auto fault = failAt.find(first + static_cast<std::int32_t>(k));
      if (fault != failAt.end()) return Fail(fault->second);
    }
    auto* bytes = static_cast<std::uint8_t*>(out);
    for (std::uint32_t i = 0; i < outLength; ++i)
      bytes[i] = ScriptedByte(first + static_cast<std::int32_t>(i / 2352), i % 2352);
    return true;
  }
  bool ScsiPassThrough(DeviceHandle device, PassThroughBlock& block) override {
    std::lock_guard lock(mutex);
    passThrough.push_back(block);
    if (device != 77 || !passThroughReaches) return Fail(1);
    if (checkCondition) {
      block.Spt.ScsiStatus = 2;
      block.Sense[2] = sense[0];
      block.Sense[12] = sense[1];
      block.Sense[13] = sense[2];
      return true;
    }
    std::memcpy(block.Spt.DataBuffer, inquiry.data(),
                std::min<std::size_t>(inquiry.size(), block.Spt.DataTransferLength));
    return true;
  }
  std::uint32_t LastError() override { return lastError; }
  DriveType DriveTypeOf(const std::string& root) override {
    return cdRoots.count(root) ? DriveType::CdRom : DriveType::NoRootDir;
  }
  bool LoadAspi(AspiEntryPoints& entries) override {
    ++aspiLoads;
    if (!aspiPresent) return false;
    entries.GetSupportInfo = &aspiLoads;
    entries.SendCommand = &aspiLoads;
    return true;
  }

  std::mutex mutex;
  CdromToc toc{};
  std::optional<CdromToc> tocAfterFirstRead;
  bool tocFails = false, openSucceeds = true, aspiPresent = true, passThroughReaches = true, checkCondition = false;
  std::uint8_t sense[3] = {};
  std::vector<std::uint8_t> inquiry = std::vector<std::uint8_t>(56, 0);
  std::map<std::int32_t, std::uint32_t> failAt;
  std::map<std::string, int> cdRoots;
  std::vector<std::string> opened;
  std::vector<RawReadRequest> requests;
  std::vector<std::uint32_t> outLengths;
  std::vector<PassThroughBlock> passThrough;
  int tocReads = 0, closes = 0, openHandles = 0, aspiLoads = 0;
  std::uint32_t lastError = 0;

 private:
  bool Fail(std::uint32_t code) {
    lastError = code;
    return false;
  }
};

}  // namespace pellamy::test

#include "ripper/VirtualCdDeviceIo.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

#include "base/Exceptions.h"

namespace pellamy {

namespace {

// Handles of a virtual drive carry this tag and the drive's instance number
// in their upper bits; real handles are small numbers.
constexpr std::uint64_t kHandleTag = 0x5EC0;

std::atomic<std::uint64_t> gNextInstance{1};

struct TThreadError {
  std::uint64_t Instance = 0;  // 0: a free slot
  bool Delegated = false;
  std::uint32_t Code = 0;
};

// Per thread, per drive instance: where the last call went and the code of
// the last failure handled here. A few slots are plenty (one per drive a
// thread talks to); the oldest is reused when they run out. Plain data, so
// nothing is torn down at thread or program exit.
constexpr int kErrorSlots = 8;
thread_local TThreadError tErrors[kErrorSlots];
thread_local int tNextSlot = 0;

TThreadError* FindError(std::uint64_t instance) {
  for (TThreadError& slot : tErrors) {
    if (slot.Instance == instance) return &slot;
  }
  return nullptr;
}

TThreadError& ErrorSlot(std::uint64_t instance) {
  if (TThreadError* found = FindError(instance)) return *found;
  TThreadError& slot = tErrors[tNextSlot];
  tNextSlot = (tNextSlot + 1) % kErrorSlots;
  slot = TThreadError{instance, false, 0};
  return slot;
}

char UpperLetter(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The ASPI entry points handed out when no real library stands behind the
// drive: a manager that reports no host adapters.
std::uint32_t NoAspiSupportInfo() {
  return 0xE800;  // status "no adapters", adapter count 0
}
std::uint32_t NoAspiSendCommand(void* /*request*/) {
  return 0x81;  // status "invalid host adapter"
}

void FillInquiryData(std::uint8_t* data) {
  std::memset(data, 0, kInquiryDataBytes);
  data[0] = 0x05;                                              // peripheral qualifier 0, device type 5: CD-ROM
  data[1] = 0x80;                                              // removable medium
  data[2] = 0x05;                                              // version
  data[3] = 0x02;                                              // response data format 2
  data[4] = static_cast<std::uint8_t>(kInquiryDataBytes - 5);  // additional length
  std::memcpy(data + 8, "PELLAMY ", 8);
  std::memcpy(data + 16, "VIRTUAL CD-ROM  ", 16);
  std::memcpy(data + 32, "1.0 ", 4);
}

// CHECK CONDITION with fixed-format sense data.
void CheckCondition(PassThroughBlock& block, std::uint8_t key, std::uint8_t asc, std::uint8_t ascq) {
  std::uint8_t sense[18] = {};
  sense[0] = 0x70;  // current error, fixed format
  sense[2] = key & 0x0F;
  sense[7] = sizeof sense - 8;  // additional sense length
  sense[12] = asc;
  sense[13] = ascq;
  block.Spt.ScsiStatus = kScsiStatusCheckCondition;
  block.Spt.DataTransferLength = 0;
  const std::size_t length = std::min<std::size_t>(block.Spt.SenseInfoLength, sizeof block.Sense);
  std::memset(block.Sense, 0, length);
  std::memcpy(block.Sense, sense, std::min(length, sizeof sense));
}

}  // namespace

VirtualCdDeviceIo::VirtualCdDeviceIo(char driveLetter, std::unique_ptr<TVirtualDisc> disc, DeviceIo* fallback)
    : FLetter(UpperLetter(driveLetter)),
      FFallback(fallback),
      FInstance(gNextInstance.fetch_add(1)),
      FDisc(std::move(disc)),
      FNextHandle(static_cast<DeviceHandle>((kHandleTag << 48) | ((FInstance & 0xFFFF) << 32) | 4)) {
  if (FLetter < 'A' || FLetter > 'Z') throw Exception("A virtual CD drive needs a drive letter A to Z");
}

VirtualCdDeviceIo::~VirtualCdDeviceIo() = default;

bool VirtualCdDeviceIo::IsOwnHandleValue(DeviceHandle device) const {
  const std::uint64_t value = static_cast<std::uint64_t>(device);
  return (value >> 32) == ((kHandleTag << 16) | (FInstance & 0xFFFF));
}

VirtualCdDeviceIo::TRoute VirtualCdDeviceIo::Route(DeviceHandle device) const {
  if (IsOwnHandleValue(device)) {
    std::lock_guard<std::mutex> lock(FMutex);
    return FHandles.count(device) != 0 ? TRoute::Own : TRoute::Invalid;
  }
  return FFallback != nullptr ? TRoute::Fallback : TRoute::Invalid;
}

bool VirtualCdDeviceIo::Failed(std::uint32_t code) {
  TThreadError& error = ErrorSlot(FInstance);
  error.Delegated = false;
  error.Code = code;
  return false;
}

void VirtualCdDeviceIo::Handled() {
  ErrorSlot(FInstance).Delegated = false;
}
void VirtualCdDeviceIo::Delegated() {
  ErrorSlot(FInstance).Delegated = true;
}

std::uint32_t VirtualCdDeviceIo::LastError() {
  const TThreadError* error = FindError(FInstance);
  if (error == nullptr) return 0;
  if (error->Delegated && FFallback != nullptr) return FFallback->LastError();
  return error->Code;
}

DeviceHandle VirtualCdDeviceIo::Open(const std::string& path) {
  const bool ours =
      path.size() == 6 && path.compare(0, 4, "\\\\.\\") == 0 && UpperLetter(path[4]) == FLetter && path[5] == ':';
  if (ours) {
    std::lock_guard<std::mutex> lock(FMutex);
    const DeviceHandle handle = FNextHandle;
    FNextHandle += 4;
    FHandles.insert(handle);
    Handled();
    return handle;
  }
  if (FFallback != nullptr) {
    Delegated();
    return FFallback->Open(path);
  }
  Failed(kErrorFileNotFound);
  return kInvalidDevice;
}

void VirtualCdDeviceIo::Close(DeviceHandle device) {
  switch (Route(device)) {
    case TRoute::Own: {
      std::lock_guard<std::mutex> lock(FMutex);
      FHandles.erase(device);
      Handled();
      return;
    }
    case TRoute::Fallback:
      Delegated();
      FFallback->Close(device);
      return;
    case TRoute::Invalid:
      Failed(kErrorInvalidHandle);
      return;
  }
}

bool VirtualCdDeviceIo::ReadCdText(DeviceHandle device, std::vector<std::uint8_t>& answer) {
  answer.clear();
  switch (Route(device)) {
    case TRoute::Own:
      break;
    case TRoute::Fallback:
      Delegated();
      return FFallback->ReadCdText(device, answer);
    case TRoute::Invalid:
      return Failed(kErrorInvalidHandle);
  }
  std::lock_guard<std::mutex> lock(FMutex);
  if (!FDisc) return Failed(kErrorNotReady);
  const CdromToc& toc = FDisc->Toc();
  answer = BuildCdText(FDisc->CdText(), toc.FirstTrack, toc.LastTrack);
  // A disc without names answers with no packs, as a drive does.
  if (answer.empty()) return Failed(kErrorIoDevice);
  Handled();
  return true;
}

bool VirtualCdDeviceIo::ReadToc(DeviceHandle device, CdromToc& toc) {
  switch (Route(device)) {
    case TRoute::Own:
      break;
    case TRoute::Fallback:
      Delegated();
      return FFallback->ReadToc(device, toc);
    case TRoute::Invalid:
      return Failed(kErrorInvalidHandle);
  }
  std::lock_guard<std::mutex> lock(FMutex);
  ++FTocReads;
  if (!FDisc) return Failed(kErrorNotReady);
  if (FFailToc) return Failed(FTocError);
  toc = FDisc->Toc();
  if (FTocReadsBeforeChange > 0 && --FTocReadsBeforeChange == 0) {
    FDisc = std::move(FNextDisc);
    FTocReadsBeforeChange = -1;
  }
  Handled();
  return true;
}

bool VirtualCdDeviceIo::RawRead(DeviceHandle device, const RawReadRequest& request, void* out,
                                std::uint32_t outLength) {
  switch (Route(device)) {
    case TRoute::Own:
      break;
    case TRoute::Fallback:
      Delegated();
      return FFallback->RawRead(device, request, out, outLength);
    case TRoute::Invalid:
      return Failed(kErrorInvalidHandle);
  }
  std::shared_ptr<TVirtualDisc> disc;
  std::shared_ptr<TFaultyDrive> faulty;
  const std::int64_t sector = request.DiskOffset / 2048;
  {
    std::lock_guard<std::mutex> lock(FMutex);
    ++FRawReads;
    if (FReadLog.size() < kMaxLoggedReads) FReadLog.push_back(request);
    FLargestRead = std::max(FLargestRead, request.SectorCount);

    const bool valid = request.TrackMode == kTrackModeCdda && request.DiskOffset >= 0 &&
                       request.DiskOffset % 2048 == 0 && request.SectorCount > 0 && out != nullptr &&
                       static_cast<std::uint64_t>(request.SectorCount) * kRawSectorBytes == outLength;
    if (!valid) return Failed(kErrorInvalidParameter);
    if (!FDisc) return Failed(kErrorNotReady);
    const std::int64_t end = sector + request.SectorCount;
    if (end > FDisc->LeadOutSector()) return Failed(kErrorSectorNotFound);
    const auto fault = FReadFaults.lower_bound(static_cast<std::int32_t>(sector));
    if (fault != FReadFaults.end() && fault->first < end) return Failed(fault->second);
    disc = FDisc;
    faulty = FFaulty;
  }
  // Reads run outside the lock: other handles may read at the same time.
  const bool read = faulty ? faulty->Read(*disc, static_cast<std::int32_t>(sector), request.SectorCount,
                                          static_cast<std::uint8_t*>(out), nullptr)
                           : disc->ReadSectors(static_cast<std::int32_t>(sector), request.SectorCount,
                                               static_cast<std::uint8_t*>(out));
  if (!read) return Failed(kErrorCrc);
  Handled();
  return true;
}

bool VirtualCdDeviceIo::ScsiPassThrough(DeviceHandle device, PassThroughBlock& block) {
  switch (Route(device)) {
    case TRoute::Own:
      break;
    case TRoute::Fallback:
      Delegated();
      return FFallback->ScsiPassThrough(device, block);
    case TRoute::Invalid:
      return Failed(kErrorInvalidHandle);
  }
  PassThroughDirect& spt = block.Spt;
  const bool valid = spt.Length == sizeof(PassThroughDirect) && spt.CdbLength >= 1 && spt.CdbLength <= 16 &&
                     (spt.DataTransferLength == 0 || spt.DataBuffer != nullptr) &&
                     spt.SenseInfoLength <= sizeof block.Sense &&
                     (spt.SenseInfoLength == 0 || spt.SenseInfoOffset == kSenseBufferOffset);
  if (!valid) return Failed(kErrorInvalidParameter);

  bool reject;
  std::uint8_t rejectSense[3];
  {
    std::lock_guard<std::mutex> lock(FMutex);
    reject = FRejectInquiry;
    std::memcpy(rejectSense, FRejectSense, sizeof rejectSense);
  }
  Handled();
  if (spt.Cdb[0] == kScsiReadCd) return ReadCd(block);
  if (spt.Cdb[0] != kScsiInquiry) {
    CheckCondition(block, kSenseIllegalRequest, kAscInvalidCommand, 0);
    return true;
  }
  if (reject) {
    CheckCondition(block, rejectSense[0], rejectSense[1], rejectSense[2]);
    return true;
  }
  if (spt.DataIn != kPassThroughDataIn || (spt.Cdb[1] & 0x01) != 0) {  // no vital product data pages
    CheckCondition(block, kSenseIllegalRequest, kAscInvalidFieldInCdb, 0);
    return true;
  }
  std::uint8_t data[kInquiryDataBytes];
  FillInquiryData(data);
  const std::uint32_t length = std::min<std::uint32_t>(spt.DataTransferLength, kInquiryDataBytes);
  if (length > 0) std::memcpy(spt.DataBuffer, data, length);
  spt.DataTransferLength = length;
  spt.ScsiStatus = kScsiStatusGood;
  return true;
}

bool VirtualCdDeviceIo::ReadCd(PassThroughBlock& block) {
  PassThroughDirect& spt = block.Spt;
  const std::uint8_t* cdb = spt.Cdb;
  const std::int64_t lba = (std::int64_t(cdb[2]) << 24) | (cdb[3] << 16) | (cdb[4] << 8) | cdb[5];
  const std::uint32_t count = (std::uint32_t(cdb[6]) << 16) | (cdb[7] << 8) | cdb[8];
  std::shared_ptr<TVirtualDisc> disc;
  std::shared_ptr<TFaultyDrive> faulty;
  {
    std::lock_guard<std::mutex> lock(FMutex);
    ++FRawReads;
    disc = FDisc;
    faulty = FFaulty;
  }
  const bool wantC2 = (cdb[9] & 0x06) == 0x02;
  const bool reportsC2 = faulty && faulty->Faults().C2;
  const std::uint64_t perSector = kRawSectorBytes + (wantC2 ? kC2BytesPerSector : 0);
  // CD-DA sectors (or any type), user data only, no sub-channel.
  const bool valid = spt.CdbLength >= 12 && (cdb[1] & 0x1C) <= 0x04 && (cdb[9] & 0xF8) == 0x10 &&
                     (cdb[9] & 0x06) != 0x04 && (cdb[9] & 0x06) != 0x06 && cdb[10] == 0 && count > 0 &&
                     spt.DataIn == kPassThroughDataIn && spt.DataTransferLength == count * perSector &&
                     (!wantC2 || reportsC2);
  if (!valid) {
    CheckCondition(block, kSenseIllegalRequest, kAscInvalidFieldInCdb, 0);
    return true;
  }
  if (!disc) {
    CheckCondition(block, 2, 0x3A, 0);  // not ready, medium not present
    return true;
  }
  if (lba + count > disc->LeadOutSector()) {
    CheckCondition(block, kSenseIllegalRequest, kAscLbaOutOfRange, 0);
    return true;
  }
  std::vector<std::uint8_t> data(std::size_t(count) * kRawSectorBytes), c2(std::size_t(count) * kC2BytesPerSector);
  const bool read = faulty ? faulty->Read(*disc, static_cast<std::int32_t>(lba), count, data.data(), c2.data())
                           : disc->ReadSectors(static_cast<std::int32_t>(lba), count, data.data());
  if (!read) {
    CheckCondition(block, kSenseMediumError, kAscUnrecoveredRead, 0);
    return true;
  }
  auto* out = static_cast<std::uint8_t*>(spt.DataBuffer);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::memcpy(out + i * perSector, data.data() + std::size_t(i) * kRawSectorBytes, kRawSectorBytes);
    if (wantC2)
      std::memcpy(out + i * perSector + kRawSectorBytes, c2.data() + std::size_t(i) * kC2BytesPerSector,
                  kC2BytesPerSector);
  }
  spt.ScsiStatus = kScsiStatusGood;
  return true;
}

void VirtualCdDeviceIo::SetFaults(const TDriveFaults& faults) {
  auto faulty = std::make_shared<TFaultyDrive>(faults);
  std::lock_guard<std::mutex> lock(FMutex);
  FFaulty = std::move(faulty);
}

DriveType VirtualCdDeviceIo::DriveTypeOf(const std::string& root) {
  if (root.size() == 3 && UpperLetter(root[0]) == FLetter && root[1] == ':' && root[2] == '\\') {
    Handled();
    return DriveType::CdRom;
  }
  if (FFallback != nullptr) {
    Delegated();
    return FFallback->DriveTypeOf(root);
  }
  Handled();
  return DriveType::NoRootDir;
}

bool VirtualCdDeviceIo::LoadAspi(AspiEntryPoints& entries) {
  if (FFallback != nullptr) {
    Delegated();
    return FFallback->LoadAspi(entries);
  }
  bool available;
  {
    std::lock_guard<std::mutex> lock(FMutex);
    available = FAspiAvailable;
  }
  if (!available) return Failed(kErrorModuleNotFound);
  entries.GetSupportInfo = reinterpret_cast<void*>(&NoAspiSupportInfo);
  entries.SendCommand = reinterpret_cast<void*>(&NoAspiSendCommand);
  Handled();
  return true;
}

void VirtualCdDeviceIo::InsertDisc(std::unique_ptr<TVirtualDisc> disc) {
  std::lock_guard<std::mutex> lock(FMutex);
  FDisc = std::move(disc);
}

void VirtualCdDeviceIo::NoDisc() {
  InsertDisc(nullptr);
}

bool VirtualCdDeviceIo::HasDisc() const {
  std::lock_guard<std::mutex> lock(FMutex);
  return FDisc != nullptr;
}

void VirtualCdDeviceIo::ChangeDiscAfterTocReads(int n, std::unique_ptr<TVirtualDisc> newDisc) {
  std::lock_guard<std::mutex> lock(FMutex);
  if (n <= 0) {
    FDisc = std::move(newDisc);
    FNextDisc.reset();
    FTocReadsBeforeChange = -1;
    return;
  }
  FNextDisc = std::move(newDisc);
  FTocReadsBeforeChange = n;
}

void VirtualCdDeviceIo::FailReadsAt(std::int32_t sector, std::uint32_t errorCode) {
  std::lock_guard<std::mutex> lock(FMutex);
  FReadFaults[sector] = errorCode;
}

void VirtualCdDeviceIo::ClearReadFailures() {
  std::lock_guard<std::mutex> lock(FMutex);
  FReadFaults.clear();
}

void VirtualCdDeviceIo::FailTocReads(bool fail, std::uint32_t errorCode) {
  std::lock_guard<std::mutex> lock(FMutex);
  FFailToc = fail;
  FTocError = errorCode;
}

void VirtualCdDeviceIo::RejectInquiry(std::uint8_t senseKey, std::uint8_t asc, std::uint8_t ascq) {
  std::lock_guard<std::mutex> lock(FMutex);
  FRejectInquiry = true;
  FRejectSense[0] = senseKey;
  FRejectSense[1] = asc;
  FRejectSense[2] = ascq;
}

void VirtualCdDeviceIo::AcceptInquiry() {
  std::lock_guard<std::mutex> lock(FMutex);
  FRejectInquiry = false;
}

void VirtualCdDeviceIo::SetAspiAvailable(bool available) {
  std::lock_guard<std::mutex> lock(FMutex);
  FAspiAvailable = available;
}

int VirtualCdDeviceIo::TocReads() const {
  std::lock_guard<std::mutex> lock(FMutex);
  return FTocReads;
}

int VirtualCdDeviceIo::RawReads() const {
  std::lock_guard<std::mutex> lock(FMutex);
  return FRawReads;
}

std::vector<RawReadRequest> VirtualCdDeviceIo::RawReadRequests() const {
  std::lock_guard<std::mutex> lock(FMutex);
  return FReadLog;
}

std::uint32_t VirtualCdDeviceIo::LargestRawRead() const {
  std::lock_guard<std::mutex> lock(FMutex);
  return FLargestRead;
}

int VirtualCdDeviceIo::OpenHandles() const {
  std::lock_guard<std::mutex> lock(FMutex);
  return static_cast<int>(FHandles.size());
}

void VirtualCdDeviceIo::ResetCounters() {
  std::lock_guard<std::mutex> lock(FMutex);
  FTocReads = 0;
  FRawReads = 0;
  FReadLog.clear();
  FLargestRead = 0;
}

}  // namespace pellamy

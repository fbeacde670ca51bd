// VirtualCdDeviceIo: a CD-ROM drive that exists only in this process. It
// answers for one drive letter with a virtual disc and hands every other
// path, root and handle to a fallback backend (the real devices, or another
// virtual drive). Faults can be injected for tests.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "ripper/DeviceIo.h"
#include "ripper/DriveFaults.h"
#include "ripper/VirtualDisc.h"

namespace pellamy {

// Error codes, as the platform numbers them.
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorNotReady = 21;
inline constexpr std::uint32_t kErrorCrc = 23;
inline constexpr std::uint32_t kErrorSectorNotFound = 27;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorModuleNotFound = 126;
inline constexpr std::uint32_t kErrorIoDevice = 1117;

// SCSI status and sense values used by the virtual drive.
inline constexpr std::uint8_t kScsiStatusGood = 0;
inline constexpr std::uint8_t kScsiStatusCheckCondition = 2;
inline constexpr std::uint8_t kSenseIllegalRequest = 5;
inline constexpr std::uint8_t kAscInvalidCommand = 0x20;
inline constexpr std::uint8_t kAscInvalidFieldInCdb = 0x24;
inline constexpr std::uint8_t kScsiInquiry = 0x12;
inline constexpr std::uint8_t kScsiReadCd = 0xBE;
inline constexpr std::uint8_t kSenseMediumError = 3;
inline constexpr std::uint8_t kAscUnrecoveredRead = 0x11;
inline constexpr std::uint8_t kAscLbaOutOfRange = 0x21;
inline constexpr std::size_t kInquiryDataBytes = 36;

class VirtualCdDeviceIo : public DeviceIo {
 public:
  // driveLetter is A..Z in either case; disc may be null (no disc in the
  // drive); fallback may be null (other drives do not exist).
  VirtualCdDeviceIo(char driveLetter, std::unique_ptr<TVirtualDisc> disc, DeviceIo* fallback);
  ~VirtualCdDeviceIo() override;
  VirtualCdDeviceIo(const VirtualCdDeviceIo&) = delete;
  VirtualCdDeviceIo& operator=(const VirtualCdDeviceIo&) = delete;

  DeviceHandle Open(const std::string& path) override;
  void Close(DeviceHandle device) override;
  bool ReadToc(DeviceHandle device, CdromToc& toc) override;
  // The disc's names (its CUE sheet's) as a pressed disc's packs.
  bool ReadCdText(DeviceHandle device, std::vector<std::uint8_t>& answer) override;
  // Reads SectorCount sectors from DiskOffset / 2048; the sectors of data
  // tracks come back raw, as the disc holds them. Error 87 for a track
  // mode other than CD audio, an offset that is negative or not a multiple
  // of 2048, no sectors, or outLength not SectorCount * 2352; error 27 when
  // the range passes the lead-out; error 21 without a disc.
  bool RawRead(DeviceHandle device, const RawReadRequest& request, void* out, std::uint32_t outLength) override;
  // Answers INQUIRY (opcode 0x12, data in) with the drive's identity, and
  // READ CD (opcode 0xBE) of CD audio user data, with C2 error pointers when
  // the drive's faults say it reports them; anything else gets CHECK
  // CONDITION, ILLEGAL REQUEST. The sense data goes
  // to block.Sense, SenseInfoLength bytes at most.
  bool ScsiPassThrough(DeviceHandle device, PassThroughBlock& block) override;
  std::uint32_t LastError() override;
  DriveType DriveTypeOf(const std::string& root) override;
  bool LoadAspi(AspiEntryPoints& entries) override;

  char DriveLetter() const { return FLetter; }

  // Disc changes.
  void InsertDisc(std::unique_ptr<TVirtualDisc> disc);
  // Empties the drive: TOC and raw reads fail with error 21 until a disc is
  // inserted.
  void NoDisc();
  bool HasDisc() const;
  // After n more successful TOC reads the disc is replaced by newDisc (null
  // empties the drive); n = 0 replaces it at once.
  void ChangeDiscAfterTocReads(int n, std::unique_ptr<TVirtualDisc> newDisc);

  // Faults.
  // A raw read whose range includes sector fails with errorCode, the output
  // untouched.
  void FailReadsAt(std::int32_t sector, std::uint32_t errorCode);
  void ClearReadFailures();
  // TOC reads fail with errorCode while set.
  void FailTocReads(bool fail, std::uint32_t errorCode = kErrorIoDevice);
  // INQUIRY answers CHECK CONDITION with these sense values until
  // AcceptInquiry.
  void RejectInquiry(std::uint8_t senseKey, std::uint8_t asc, std::uint8_t ascq);
  void AcceptInquiry();
  // Plays the faults on every read of the disc from now on.
  void SetFaults(const TDriveFaults& faults);
  // Without a fallback: whether LoadAspi succeeds (it does by default).
  void SetAspiAvailable(bool available);

  // What was asked of the drive: calls on its handles, failed ones included.
  int TocReads() const;
  int RawReads() const;
  // The first kMaxLoggedReads raw read requests, in order.
  std::vector<RawReadRequest> RawReadRequests() const;
  // The largest SectorCount asked for.
  std::uint32_t LargestRawRead() const;
  int OpenHandles() const;
  void ResetCounters();

  static constexpr std::size_t kMaxLoggedReads = 1 << 16;

 private:
  enum class TRoute { Own, Fallback, Invalid };

  TRoute Route(DeviceHandle device) const;
  bool IsOwnHandleValue(DeviceHandle device) const;
  // Records the outcome of a call handled here for LastError.
  bool Failed(std::uint32_t code);
  void Handled();
  void Delegated();

  const char FLetter;
  DeviceIo* const FFallback;
  const std::uint64_t FInstance;  // tells this drive's thread-local errors from another's

  mutable std::mutex FMutex;
  std::shared_ptr<TVirtualDisc> FDisc;
  std::set<DeviceHandle> FHandles;
  DeviceHandle FNextHandle;

  int FTocReads = 0;
  int FRawReads = 0;
  std::vector<RawReadRequest> FReadLog;
  std::uint32_t FLargestRead = 0;

  std::map<std::int32_t, std::uint32_t> FReadFaults;
  bool FFailToc = false;
  std::uint32_t FTocError = kErrorIoDevice;
  bool FRejectInquiry = false;
  std::uint8_t FRejectSense[3] = {0, 0, 0};
  bool FAspiAvailable = true;
  int FTocReadsBeforeChange = -1;  // -1: no change pending
  std::shared_ptr<TVirtualDisc> FNextDisc;
  std::shared_ptr<TFaultyDrive> FFaulty;

  bool ReadCd(PassThroughBlock& block);
};

}  // namespace pellamy

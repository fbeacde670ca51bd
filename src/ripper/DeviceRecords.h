// ScsiCommandBlock, PassThroughBlock, RawReadRequest: the records handed to
// the drive's device controls, laid out as the 64-bit platform expects them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pellamy {

inline constexpr std::uint32_t kIoctlCdromReadToc = 0x24000;
// IOCTL_CDROM_READ_TOC_EX, and its request's format for the CD-Text packs.
inline constexpr std::uint32_t kIoctlCdromReadTocEx = 0x24054;
inline constexpr std::uint8_t kReadTocExFormatCdText = 5;
inline constexpr std::uint32_t kIoctlCdromRawRead = 0x2403E;
inline constexpr std::uint32_t kIoctlScsiPassThroughDirect = 0x4D014;

inline constexpr std::uint8_t kScsiExecCommand = 2;
inline constexpr std::uint8_t kScsiStatusCompleted = 1;
inline constexpr std::uint8_t kScsiDirIn = 0x08;
inline constexpr std::uint8_t kScsiDirOut = 0x10;
inline constexpr std::uint8_t kScsiEventNotify = 0x40;

inline constexpr std::uint8_t kPassThroughDataOut = 0;
inline constexpr std::uint8_t kPassThroughDataIn = 1;
inline constexpr std::uint8_t kPassThroughNoData = 2;

#pragma pack(push, 1)
// The ASPI-style request block for executing a SCSI command. The two address
// fields are pointer-sized, so the block is 80 bytes in a 32-bit build and 88
// in a 64-bit one; nothing outside the program ever sees it.
struct ScsiCommandBlock {
  std::uint8_t Command;
  std::uint8_t Status;
  std::uint8_t HostAdapter;
  std::uint8_t Flags;
  std::uint32_t Reserved0;
  std::uint8_t Target;
  std::uint8_t Lun;
  std::uint16_t Reserved1;
  std::uint32_t DataLength;
  void* DataBuffer;
  std::uint8_t SenseLength;
  std::uint8_t CdbLength;
  std::uint8_t AdapterStatus;
  std::uint8_t TargetStatus;
  void* CompletionNotify;
  std::uint8_t Reserved2[20];
  std::uint8_t Cdb[16];
  std::uint8_t SenseArea[16];
};
#pragma pack(pop)

inline constexpr std::size_t kPointerGrowth = 2 * (sizeof(void*) - 4);
static_assert(sizeof(ScsiCommandBlock) == 80 + kPointerGrowth);
static_assert(offsetof(ScsiCommandBlock, DataLength) == 12);
static_assert(offsetof(ScsiCommandBlock, DataBuffer) == 16);
static_assert(offsetof(ScsiCommandBlock, Cdb) == 48 + kPointerGrowth);

// SCSI_PASS_THROUGH_DIRECT followed by the sense buffer. In the 32-bit layout
// the structure is 44 bytes, a 4-byte filler follows and the sense buffer sits
// at 48. On x64 the data-buffer pointer is 8 bytes and 8-aligned, which moves
// it to offset 24 and rounds the structure up to 56 bytes; so Length is 56
// and the sense buffer starts at 56, with no filler needed. The device
// control checks Length against its own structure size, so these values are
// the platform's, not a choice.
struct PassThroughDirect {
  std::uint16_t Length;
  std::uint8_t ScsiStatus;
  std::uint8_t PathId;
  std::uint8_t TargetId;
  std::uint8_t Lun;
  std::uint8_t CdbLength;
  std::uint8_t SenseInfoLength;
  std::uint8_t DataIn;
  std::uint32_t DataTransferLength;
  std::uint32_t TimeOutValue;
  void* DataBuffer;
  std::uint32_t SenseInfoOffset;
  std::uint8_t Cdb[16];
};

struct PassThroughBlock {
  PassThroughDirect Spt;
  std::uint8_t Sense[32];
};

static_assert(sizeof(void*) == 8, "device records are laid out for 64-bit builds");
static_assert(sizeof(PassThroughDirect) == 56);
static_assert(offsetof(PassThroughDirect, ScsiStatus) == 2);
static_assert(offsetof(PassThroughDirect, DataTransferLength) == 12);
static_assert(offsetof(PassThroughDirect, TimeOutValue) == 16);
static_assert(offsetof(PassThroughDirect, DataBuffer) == 24);
static_assert(offsetof(PassThroughDirect, SenseInfoOffset) == 32);
static_assert(offsetof(PassThroughDirect, Cdb) == 36);
static_assert(offsetof(PassThroughBlock, Sense) == 56);
static_assert(sizeof(PassThroughBlock) == 88);

inline constexpr std::uint32_t kSenseBufferOffset = offsetof(PassThroughBlock, Sense);

// RAW_READ_INFO: the same 16 bytes on every word size.
struct RawReadRequest {
  std::int64_t DiskOffset;
  std::uint32_t SectorCount;
  std::uint32_t TrackMode;
};
static_assert(sizeof(RawReadRequest) == 16);
static_assert(offsetof(RawReadRequest, SectorCount) == 8);
static_assert(offsetof(RawReadRequest, TrackMode) == 12);

inline constexpr std::uint32_t kTrackModeCdda = 2;

}  // namespace pellamy

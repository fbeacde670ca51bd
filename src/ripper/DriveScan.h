// The drive scan: which letters hold CD-ROM drives and how they describe
// themselves, and the letter a virtual drive can take.
#pragma once

#include <string>
#include <vector>

namespace pellamy {

struct TCdDrive {
  char Letter;
  std::string Description;  // "E:  VENDOR   PRODUCT          REV1"
};

// Every CD-ROM drive from C to Z, in letter order, with its description
// (empty when its INQUIRY failed).
std::vector<TCdDrive> ScanCdDrives();

// The first letter from D that no drive uses; 0 when all are taken.
char FirstFreeDriveLetter();

}  // namespace pellamy

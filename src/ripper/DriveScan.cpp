#include "ripper/DriveScan.h"

#include "ripper/DeviceIo.h"
#include "ripper/ScsiManagerUnit.h"

namespace pellamy {

namespace {
std::string Root(char letter) {
  return std::string(1, letter) + ":\\";
}
}  // namespace

std::vector<TCdDrive> ScanCdDrives() {
  std::vector<TCdDrive> drives;
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    if (CurrentDeviceIo().DriveTypeOf(Root(letter)) == DriveType::CdRom)
      drives.push_back({letter, TCDRipperManager::GetDriveDescription(letter)});
  }
  return drives;
}

char FirstFreeDriveLetter() {
  for (char letter = 'D'; letter <= 'Z'; ++letter) {
    if (CurrentDeviceIo().DriveTypeOf(Root(letter)) == DriveType::NoRootDir) return letter;
  }
  return 0;
}

}  // namespace pellamy

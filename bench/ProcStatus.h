// A figure of this process from /proc/self/status, in kB; -1 when absent.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

inline long StatusKb(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(key, 0) == 0) return std::strtol(line.c_str() + std::string(key).size(), nullptr, 10);
  return -1;
}

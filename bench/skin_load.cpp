// Time to load a skin file into the element model, as the main window does
// at start: bench_skin_load FILE (best and median of 30 loads).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "skin/model/WinSkinData.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_skin_load FILE\n");
    return 2;
  }
  std::vector<double> ms;
  for (int i = 0; i < 30; ++i) {
    pellamy::TSkinData skin(nullptr);
    const auto start = std::chrono::steady_clock::now();
    skin.SetSkinFile(argv[1]);
    const auto end = std::chrono::steady_clock::now();
    if (skin.SkinEmpty) {
      std::fprintf(stderr, "bench_skin_load: %s did not load\n", argv[1]);
      return 1;
    }
    ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  std::sort(ms.begin(), ms.end());
  std::printf("load %s into the model: best %.2f ms, median %.2f ms (30 loads)\n", argv[1], ms.front(),
              ms[ms.size() / 2]);
  return 0;
}

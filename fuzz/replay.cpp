// Replays seed inputs through one harness without libFuzzer: linked with a
// <name>_fuzz.cpp built with ORRERY_FUZZ_REPLAY, it feeds every file of the
// directories (or the files) named on the command line, in name order, to
// LLVMFuzzerTestOneInput. A failed invariant aborts, which fails the test.
//
//   fuzz_replay_<name> fuzz/corpus/<name>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

namespace orrery::fuzz {
thread_local std::uint64_t gReplayAllocations = 0;
} // namespace orrery::fuzz

// Every allocation of the process counts, so that NoAllocation sees those
// made outside doNew too.
void *operator new(std::size_t size) {
  ++orrery::fuzz::gReplayAllocations;
  if (void *block = std::malloc(size == 0 ? 1 : size)) {
    return block;
  }
  throw std::bad_alloc();
}
void operator delete(void *block) noexcept { std::free(block); }
void operator delete(void *block, std::size_t) noexcept { std::free(block); }

// Defined by the harness and by fuzz/FuzzSupport.h.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);

int main(int argc, char **argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    if (fs::is_directory(argv[i])) {
      for (const fs::directory_entry &entry : fs::directory_iterator(argv[i])) {
        inputs.push_back(entry.path());
      }
    } else {
      inputs.emplace_back(argv[i]);
    }
  }
  if (inputs.empty()) {
    std::fprintf(stderr, "replay: no inputs\n");
    return 2;
  }
  std::sort(inputs.begin(), inputs.end());
  LLVMFuzzerInitialize(&argc, &argv);
  for (const fs::path &path : inputs) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file),
                                  std::istreambuf_iterator<char>()};
    if (!file.good() && !file.eof()) {
      std::fprintf(stderr, "replay: cannot read %s\n", path.c_str());
      return 2;
    }
    std::fprintf(stderr, "%s\n", path.filename().c_str());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
  }
  std::printf("replayed %zu inputs\n", inputs.size());
  return 0;
}

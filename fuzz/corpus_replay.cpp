// Replays a fuzz corpus through a fuzz target without libFuzzer, so that every
// ordinary build runs the inputs the fuzzer found worth keeping as a
// regression test. Arguments: files or directories (every regular file inside).
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int Replay(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  if (!stream) {
    std::cerr << "cannot read " << file << "\n";
    return 1;
  }
  const std::string bytes((std::istreambuf_iterator<char>(stream)),
                          std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  for (int i = 1; i < argc; ++i) {
    const fs::path argument(argv[i]);
    if (fs::is_directory(argument)) {
      for (const auto& entry : fs::directory_iterator(argument)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
    } else {
      files.push_back(argument);
    }
  }
  if (files.empty()) {
    std::cerr << "corpus_replay: no inputs\n";
    return 1;
  }
  int failures = 0;
  for (const auto& file : files) failures += Replay(file);
  std::cout << files.size() << " inputs replayed\n";
  return failures == 0 ? 0 : 1;
}

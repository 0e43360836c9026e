// qm-bench-archive: how fast the archive reader unpacks, against zlib's own
// uncompress of the same chunks.
//
//   qm-bench-archive [--mb N] [--rounds R] FOLDER
//
// Writes FOLDER/bench.hpi, N MB (default 100) of weapon files packed with
// zlib in 64 KiB chunks, then in R rounds (default 5), in turns:
//   unpack      the archive opened from disk and every file unpacked
//   uncompress  the same chunks, already in memory, each given to zlib's
//               uncompress: no reader of the archive can beat it
// and prints the best round of each as MB/s of unpacked output, with their
// ratio. Exits non-zero when a file does not unpack to its bytes.
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "support/archive_writer.h"

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string& what) {
  std::cerr << "qm-bench-archive: " << what << "\n";
  std::exit(1);
}

// A weapon file of about `size` bytes whose values vary, so that it packs
// about as well as the game's own.
std::string weaponFile(std::size_t size, unsigned& seed) {
  std::string out;
  auto next = [&seed](unsigned n) { return (seed = seed * 1103515245u + 12345u) / 65536 % n; };
  while (out.size() < size) {
    out += "[WEAPON_" + std::to_string(next(100000)) + "]\r\n\t{\r\n\tID=" + std::to_string(next(256)) +
           ";\r\n\tname=Weapon " + std::to_string(next(1000)) + ";\r\n\trendertype=" + std::to_string(next(7)) +
           ";\r\n\treloadtime=" + std::to_string(next(10)) + "." + std::to_string(next(100)) +
           ";\r\n\trange=" + std::to_string(next(2000)) + ";\r\n\tweaponvelocity=" + std::to_string(next(1500)) +
           ";\r\n\tsoundstart=shot" + std::to_string(next(40)) +
           ";\r\n\t[DAMAGE]\r\n\t\t{\r\n\t\tdefault=" + std::to_string(next(3000)) + ";\r\n\t\t}\r\n\t}\r\n";
  }
  return out;
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
  std::size_t mb = 100;
  int rounds = 5;
  std::filesystem::path folder;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--mb" && i + 1 < argc)
      mb = std::stoul(argv[++i]);
    else if (a == "--rounds" && i + 1 < argc)
      rounds = std::stoi(argv[++i]);
    else
      folder = a;
  }
  if (folder.empty()) fail("usage: qm-bench-archive [--mb N] [--rounds R] FOLDER");

  // One file per MB, as a large mod's weapon folder would hold.
  std::vector<qm::test::FileToPack> files;
  unsigned seed = 1;
  for (std::size_t i = 0; i < mb; ++i)
    files.emplace_back("weapons/w" + std::to_string(i) + ".tdf", weaponFile(1 << 20, seed), qm::PackMethod::Zlib);
  const qm::test::WrittenArchive written = qm::test::writeArchive(files);
  std::filesystem::create_directories(folder);
  const std::filesystem::path path = folder / "bench.hpi";
  std::ofstream(path, std::ios::binary) << written.bytes;

  // The chunks as zlib gets them: stored bytes and unpacked length.
  std::vector<std::pair<std::string, std::uint32_t>> chunks;
  std::size_t total = 0;
  for (const auto& [name, offsets] : written.chunksAt)
    for (std::uint32_t at : offsets) {
      const std::uint32_t stored = qm::test::getU32(written.bytes, at + 7);
      chunks.emplace_back(written.bytes.substr(at + 19, stored), qm::test::getU32(written.bytes, at + 11));
      total += chunks.back().second;
    }

  double bestOurs = 1e9, bestZlib = 1e9;
  std::string out, reason;
  std::vector<unsigned char> buffer(65536);
  for (int r = 0; r < rounds; ++r) {
    auto start = Clock::now();
    const auto archive = qm::Archive::open(path, reason);
    if (!archive) fail(reason);
    std::size_t unpacked = 0;
    for (const qm::ArchiveMember& m : archive->members()) {
      if (!archive->unpack(m, out, reason)) fail(m.path + ": " + reason);
      unpacked += out.size();
      if (r == 0 && out != files[&m - archive->members().data()].bytes) fail(m.path + " unpacks to other bytes");
    }
    bestOurs = std::min(bestOurs, seconds(Clock::now() - start));
    if (unpacked != total) fail("unpacked " + std::to_string(unpacked) + " bytes of " + std::to_string(total));

    start = Clock::now();
    for (const auto& [stored, length] : chunks) {
      uLongf size = buffer.size();
      if (uncompress(buffer.data(), &size, reinterpret_cast<const Bytef*>(stored.data()), stored.size()) != Z_OK ||
          size != length)
        fail("zlib cannot uncompress a chunk");
    }
    bestZlib = std::min(bestZlib, seconds(Clock::now() - start));
  }
  const double megabytes = static_cast<double>(total) / 1e6;
  std::cout << "Archive of " << megabytes << " MB of weapon files (" << chunks.size() << " zlib chunks), best of "
            << rounds << " rounds:\n"
            << "  unpack       " << megabytes / bestOurs << " MB/s\n"
            << "  uncompress   " << megabytes / bestZlib << " MB/s (zlib alone, chunks in memory)\n"
            << "  ratio        " << bestZlib / bestOurs << " (target 0.8 or more)\n";
  return 0;
}

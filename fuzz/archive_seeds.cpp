// Writes the seed archives of fuzz_archive into the folder given: every
// packing method and both ciphers, nested folders, a file of two chunks.
#include <fstream>
#include <iostream>

#include "support/archive_writer.h"

using namespace qm;
using test::FileToPack;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: archive_seeds FOLDER\n";
    return 2;
  }
  const std::string weapon =
      "[GUN]\r\n{\r\n\tid=12;\r\n\treloadtime=1.5;\r\n\t[DAMAGE]\r\n\t{\r\n\t\tdefault=50;\r\n\t}\r\n}\r\n";
  const struct {
    const char* name;
    std::vector<FileToPack> files;
    std::uint8_t key;
  } seeds[] = {
      {"stored_nested", {{"weapons/a.tdf", weapon}, {"Weapons/Sub/B.TDF", weapon + weapon}}, 0},
      {"lz77", {{"weapons/w.tdf", weapon + weapon + weapon, PackMethod::Lz77}}, 0},
      {"lz77_ciphers", {{"weapons/w.tdf", weapon, PackMethod::Lz77, true}}, 0x5A},
      {"zlib", {{"weapons/w.tdf", weapon, PackMethod::Zlib}}, 0},
      {"zlib_ciphers", {{"w.tdf", weapon, PackMethod::Zlib, true}, {"e.tdf", "", PackMethod::Zlib}}, 0xC3},
      {"two_chunks", {{"runs.tdf", std::string(70000, 'a'), PackMethod::Lz77}}, 0},
  };
  for (const auto& s : seeds) {
    std::ofstream out(std::string(argv[1]) + "/" + s.name, std::ios::binary);
    out << test::writeArchive(s.files, s.key).bytes;
    if (!out) return 1;
  }
  return 0;
}

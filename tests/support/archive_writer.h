// Writes game archives for the tests, the fuzz seeds and the benchmark in
// every layout the reader must take: enciphered, chunks enciphered, methods
// mixed, records after the names, with the offsets of each record and chunk
// for damaging them. Chunks are packed by the program's own packer.
#pragma once

#include <map>

#include "archive/archive.h"

namespace qm::test {

struct FileToPack {
  FileToPack(std::string p, std::string b, PackMethod m = PackMethod::Stored, bool c = false)
      : path(std::move(p)), bytes(std::move(b)), method(m), chunkCipher(c) {}
  std::string path;  // folders joined by '/'; folders are listed where first named
  std::string bytes;
  PackMethod method = PackMethod::Stored;
  bool chunkCipher = false;
};

struct WrittenArchive {
  std::string bytes;
  // Offsets, by path (a folder's path ends in '/'), before the outer cipher.
  // A folder's entries follow its record, 9 bytes each.
  std::map<std::string, std::uint32_t> recordAt;  // the folder or file record
  std::map<std::string, std::vector<std::uint32_t>> chunksAt;
};

// What ends the directory: the entries' names, written after the tree, or the
// files' records, written after the names.
enum class DirectoryEnd { Names, FileRecords };
// An archive holding `files`; `key` 0 leaves it unenciphered.
WrittenArchive writeArchive(const std::vector<FileToPack>& files, std::uint8_t key = 0,
                            DirectoryEnd end = DirectoryEnd::Names);
// The u32 at `at` of `bytes`, and writing one there (checked against its size).
std::uint32_t getU32(const std::string& bytes, std::uint32_t at);
void putU32(std::string& bytes, std::uint32_t at, std::uint32_t value);

}  // namespace qm::test

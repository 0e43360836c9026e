#include "archive_writer.h"

#include <algorithm>

#include "archive/archive_format.h"
#include "archive/archive_writer.h"

namespace qm::test {

using namespace archive_format;

std::uint32_t getU32(const std::string& bytes, std::uint32_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes.at(at + i));
  return v;
}

void putU32(std::string& bytes, std::uint32_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<char>(value >> (8 * i));
}

namespace {

struct Builder {
  const std::vector<FileToPack>& files;
  WrittenArchive out;
  std::vector<std::pair<std::uint32_t, std::string>> names;  // entry offset, name
  bool recordsLast;
  std::vector<std::pair<std::uint32_t, std::string>> deferred;  // entry offset, path of its file
  std::vector<std::pair<std::uint32_t, const FileToPack*>> fileRecords;

  std::uint32_t here() const { return static_cast<std::uint32_t>(out.bytes.size()); }
  void u32(std::uint32_t v) { out.bytes.append(4, '\0'), putU32(out.bytes, here() - 4, v); }

  // The folder `prefix` (empty, or ending in '/') and all under it; its
  // entries in the order first named, a folder's name with its '/'.
  std::uint32_t folderRecord(const std::string& prefix) {
    std::vector<std::string> children;
    for (const FileToPack& f : files) {
      if (f.path.compare(0, prefix.size(), prefix) != 0) continue;
      const std::size_t slash = f.path.find('/', prefix.size());
      const std::string child =
          f.path.substr(prefix.size(), slash == std::string::npos ? slash : slash + 1 - prefix.size());
      if (std::find(children.begin(), children.end(), child) == children.end()) children.push_back(child);
    }
    const std::uint32_t record = here();
    out.recordAt[prefix] = record;
    u32(static_cast<std::uint32_t>(children.size()));
    u32(static_cast<std::uint32_t>(record + kFolderSize));
    out.bytes.append(kEntrySize * children.size(), '\0');
    for (std::size_t i = 0; i < children.size(); ++i) {
      const std::string path = prefix + children[i];
      const bool folder = path.back() == '/';
      const auto entry = static_cast<std::uint32_t>(record + kFolderSize + kEntrySize * i);
      const std::string name = folder ? children[i].substr(0, children[i].size() - 1) : children[i];
      names.emplace_back(entry, name);
      out.bytes[entry + kEntryIsFolderAt] = folder;
      if (!folder && recordsLast) {
        deferred.emplace_back(entry, path);
        continue;
      }
      putU32(out.bytes, entry + kEntryDataAt, folder ? folderRecord(path) : fileRecord(path));
    }
    return record;
  }

  std::uint32_t fileRecord(const std::string& path) {
    const std::uint32_t at = out.recordAt[path] = here();
    fileRecords.emplace_back(
        at, &*std::find_if(files.begin(), files.end(), [&](const FileToPack& f) { return f.path == path; }));
    out.bytes.append(kFileRecordSize, '\0');
    return at;
  }

  void content(std::uint32_t record, const FileToPack& f) {
    putU32(out.bytes, record + kFileContentAt, here());
    putU32(out.bytes, record + kFileSizeAt, static_cast<std::uint32_t>(f.bytes.size()));
    out.bytes[record + kFileMethodAt] = static_cast<char>(f.method);
    if (f.method == PackMethod::Stored) return void(out.bytes += f.bytes);
    const std::size_t chunks = chunkCount(f.bytes.size());
    const std::uint32_t table = here();
    out.bytes.append(kChunkTableEntrySize * chunks, '\0');
    for (std::size_t c = 0; c < chunks; ++c) {
      const std::string plain = f.bytes.substr(c * kChunkOutput, kChunkOutput);
      std::string stored;
      ChunkPacker(f.method, kDefaultPackLevel).pack(plain, stored);
      if (f.chunkCipher)
        for (std::size_t i = 0; i < stored.size(); ++i) {
          const auto j = static_cast<unsigned char>(i);
          stored[i] = static_cast<char>(((static_cast<unsigned char>(stored[i]) ^ j) + j) & 0xFF);
        }
      ChunkHeader h;
      h.method = static_cast<std::uint8_t>(f.method);
      h.enciphered = f.chunkCipher;
      h.storedLength = static_cast<std::uint32_t>(stored.size());
      h.unpackedLength = static_cast<std::uint32_t>(plain.size());
      for (char b : stored) h.checksum += static_cast<unsigned char>(b);
      putU32(out.bytes, static_cast<std::uint32_t>(table + kChunkTableEntrySize * c),
             static_cast<std::uint32_t>(ChunkHeader::kSize + stored.size()));
      out.chunksAt[f.path].push_back(here());
      out.bytes.append(ChunkHeader::kSize, '\0');
      h.write(out.bytes.data() + here() - ChunkHeader::kSize);
      out.bytes += stored;
    }
  }
};

}  // namespace

WrittenArchive writeArchive(const std::vector<FileToPack>& files, std::uint8_t key, DirectoryEnd end) {
  Builder b{files, {}, {}, end == DirectoryEnd::FileRecords, {}, {}};
  b.out.bytes.assign(kHeaderSize, '\0');
  putU32(b.out.bytes, kMarkerAt, kMarker);
  putU32(b.out.bytes, kVersionAt, kVersion);
  putU32(b.out.bytes, kKeyAt, key);
  putU32(b.out.bytes, kDirectoryStartAt, b.here());
  b.folderRecord("");
  for (const auto& [entry, name] : b.names) {
    putU32(b.out.bytes, entry + kEntryNameAt, b.here());
    b.out.bytes += name + '\0';
  }
  for (const auto& [entry, path] : b.deferred) putU32(b.out.bytes, entry + kEntryDataAt, b.fileRecord(path));
  putU32(b.out.bytes, kDirectoryEndAt, b.here());
  for (const auto& [record, file] : b.fileRecords) b.content(record, *file);

  const auto t = static_cast<unsigned char>((key << 2) | (key >> 6));
  if (key != 0)
    for (std::size_t p = kHeaderSize; p < b.out.bytes.size(); ++p)
      b.out.bytes[p] = static_cast<char>(static_cast<unsigned char>(b.out.bytes[p]) ^ t ^ (p & 0xFF));
  return b.out;
}

}  // namespace qm::test

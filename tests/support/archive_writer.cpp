#include "archive_writer.h"

#include <zlib.h>

#include <algorithm>

namespace qm::test {

std::uint32_t GetU32(const std::string& bytes, std::uint32_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes.at(at + i));
  return v;
}

void PutU32(std::string& bytes, std::uint32_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<char>(value >> (8 * i));
}

std::string PackLz77(const std::string& data) {
  std::string out;
  std::size_t tagAt = 0;
  int bit = 8;
  auto item = [&](bool copy) {
    if (bit == 8) tagAt = out.size(), out += '\0', bit = 0;
    if (copy) out[tagAt] = static_cast<char>(out[tagAt] | 1 << bit);
    ++bit;
  };
  for (std::size_t i = 0; i < data.size();) {
    std::size_t bestLen = 0, bestFrom = 0;
    // Output byte j sits at ring position j + 1; position 0 is the end mark.
    // The last 256 bytes are enough to find the repeats of weapon text.
    for (std::size_t s = i > 256 ? i - 256 : 0; s < i; ++s) {
      if (((s + 1) & 0xFFF) == 0) continue;
      std::size_t len = 0;
      while (len < 17 && i + len < data.size() && data[s + len] == data[i + len]) ++len;  // may overlap i
      if (len > bestLen) bestLen = len, bestFrom = s;
    }
    const std::size_t step = bestLen >= 2 ? bestLen : 1;
    const unsigned v = ((bestFrom + 1) & 0xFFF) << 4 | (bestLen - 2);
    item(step > 1);
    out += step > 1 ? std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)} : std::string(1, data[i]);
    i += step;
  }
  item(true);
  out += std::string(2, '\0');
  return out;
}

namespace {

// `file`: an index into the files, or -1 for a folder.
struct Node { std::string name; int file = -1; std::vector<Node> children; };

struct Builder {
  WrittenArchive out;
  std::vector<std::pair<std::uint32_t, std::string>> names;  // entry offset, name
  std::vector<std::pair<std::uint32_t, int>> fileRecords;

  std::uint32_t here() const { return static_cast<std::uint32_t>(out.bytes.size()); }
  void u32(std::uint32_t v) { out.bytes.append(4, '\0'), PutU32(out.bytes, here() - 4, v); }

  std::uint32_t Folder(const Node& node, const std::string& prefix) {
    const std::uint32_t record = here();
    out.recordAt[prefix] = record;
    u32(static_cast<std::uint32_t>(node.children.size()));
    u32(record + 8);
    out.bytes.append(9 * node.children.size(), '\0');
    for (std::size_t i = 0; i < node.children.size(); ++i) {
      const Node& child = node.children[i];
      const std::uint32_t entry = static_cast<std::uint32_t>(record + 8 + 9 * i);
      const std::string path = prefix + child.name + (child.file < 0 ? "/" : "");
      out.entryAt[path] = entry;
      names.emplace_back(entry, child.name);
      out.bytes[entry + 8] = child.file < 0 ? 1 : 0;
      if (child.file < 0) {
        PutU32(out.bytes, entry + 4, Folder(child, path));
        continue;
      }
      PutU32(out.bytes, entry + 4, out.recordAt[path] = here());
      fileRecords.emplace_back(here(), child.file);
      out.bytes.append(9, '\0');
    }
    return record;
  }

  void Content(std::uint32_t record, const FileToPack& f) {
    PutU32(out.bytes, record, here());
    PutU32(out.bytes, record + 4, static_cast<std::uint32_t>(f.bytes.size()));
    out.bytes[record + 8] = static_cast<char>(f.method);
    if (f.method == PackMethod::Stored) return void(out.bytes += f.bytes);
    const std::size_t chunks = (f.bytes.size() + 65535) / 65536;
    const std::uint32_t table = here();
    out.bytes.append(4 * chunks, '\0');
    for (std::size_t c = 0; c < chunks; ++c) {
      const std::string plain = f.bytes.substr(c * 65536, 65536);
      uLongf len = compressBound(plain.size());
      std::string stored = f.method == PackMethod::Lz77 ? PackLz77(plain) : std::string(len, '\0');
      if (f.method == PackMethod::Zlib)
        compress(reinterpret_cast<Bytef*>(stored.data()), &len, reinterpret_cast<const Bytef*>(plain.data()), plain.size()),
            stored.resize(len);
      if (f.chunkCipher)
        for (std::size_t i = 0; i < stored.size(); ++i) {
          const auto j = static_cast<unsigned char>(i);
          stored[i] = static_cast<char>(((static_cast<unsigned char>(stored[i]) ^ j) + j) & 0xFF);
        }
      std::uint32_t sum = 0;
      for (char b : stored) sum += static_cast<unsigned char>(b);
      PutU32(out.bytes, static_cast<std::uint32_t>(table + 4 * c), static_cast<std::uint32_t>(19 + stored.size()));
      out.chunksAt[f.path].push_back(here());
      u32(0x48535153);  // "SQSH"
      out.bytes += {2, static_cast<char>(f.method), static_cast<char>(f.chunkCipher)};
      u32(static_cast<std::uint32_t>(stored.size()));
      u32(static_cast<std::uint32_t>(plain.size()));
      u32(sum);
      out.bytes += stored;
    }
  }
};

}  // namespace

WrittenArchive WriteArchive(const std::vector<FileToPack>& files, std::uint8_t key) {
  Node root;
  for (std::size_t i = 0; i < files.size(); ++i) {
    Node* at = &root;
    std::string rest = files[i].path;
    for (std::size_t slash; (slash = rest.find('/')) != std::string::npos; rest.erase(0, slash + 1)) {
      const std::string name = rest.substr(0, slash);
      auto it = std::find_if(at->children.begin(), at->children.end(),
                             [&](const Node& n) { return n.file < 0 && n.name == name; });
      at = it != at->children.end() ? &*it : &at->children.emplace_back(Node{name, -1, {}});
    }
    at->children.push_back(Node{rest, static_cast<int>(i), {}});
  }

  Builder b;
  b.out.bytes = "HAPI";
  b.u32(0x00010000);
  b.u32(0);  // directory end, set below
  b.u32(key);
  b.u32(20);
  b.Folder(root, "");
  for (const auto& [entry, name] : b.names) {  // names last, so the directory ends in one
    PutU32(b.out.bytes, entry, b.here());
    b.out.bytes += name + '\0';
  }
  PutU32(b.out.bytes, 8, b.here());
  for (const auto& [record, file] : b.fileRecords) b.Content(record, files[file]);

  const auto t = static_cast<unsigned char>((key << 2) | (key >> 6));
  if (key != 0)
    for (std::size_t p = 20; p < b.out.bytes.size(); ++p)
      b.out.bytes[p] = static_cast<char>(static_cast<unsigned char>(b.out.bytes[p]) ^ t ^ (p & 0xFF));
  return b.out;
}

}  // namespace qm::test

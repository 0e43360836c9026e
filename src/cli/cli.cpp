#include "cli/cli.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>

#include "cli/game_checks.h"
#include "presentation/descriptions.h"
#include "presentation/form1_state.h"
#include "presentation/form2_state.h"
#include "weapon/text.h"

namespace qm {

namespace {

constexpr std::string_view kUsage =
    "usage: quillmark-cli [--game DIR] [--import FILE]... COMMAND [ARGS]\n"
    "commands:\n"
    "  list\n"
    "  show NAME|--index N [--actual] [--json]\n"
    "  describe FIELD\n"
    "  export NAME --actual-name N1 --name N2 --id ID --out FILE [--overwrite]\n"
    "  ids [--json]\n"
    "  lint [FILE]... [--json]\n";

struct UsageError {
  std::string message;
};

// The message box and file dialog of the command line: messages go to
// standard error, the save dialog answers with --out, and the overwrite
// question with --overwrite.
class CliHost : public Host {
 public:
  explicit CliHost(std::ostream& err) : err_(err) {}

  Answer MsgBox(std::string_view text, Buttons buttons) override {
    err_ << text << '\n';
    refused = true;
    if (buttons == Buttons::YesNo) return overwrite ? (refused = false, Answer::Yes) : Answer::No;
    return buttons == Buttons::OkCancel ? Answer::Cancel : Answer::Ok;
  }
  std::optional<std::string> ShowOpen(const std::string&) override { return std::nullopt; }
  std::optional<std::string> ShowSave(const std::string&) override { return savePath; }
  void ReportUnreadable(const std::vector<UnreadableFile>& files) override {
    for (const auto& f : files) err_ << "warning: cannot read weapon file " << f.name << ": " << f.reason << '\n';
  }

  bool refused = false;  // a message other than a warning was shown
  bool overwrite = false;
  std::string savePath;

 private:
  std::ostream& err_;
};

struct Options {
  std::filesystem::path game = ".";
  std::vector<std::string> imports;
  std::vector<std::string> words;  // the command and its plain arguments
  std::map<std::string, std::string> values;  // --option VALUE
  bool actual = false, json = false, overwrite = false;
};

Options Parse(const std::vector<std::string>& args) {
  static const char* const kValued[] = {"--game", "--import", "--index", "--actual-name", "--name", "--id", "--out"};
  Options o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    bool valued = false;
    for (const char* v : kValued) valued = valued || a == v;
    if (valued) {
      if (i + 1 >= args.size()) throw UsageError{a + " needs a value"};
      const std::string& value = args[++i];
      if (a == "--game") o.game = value;
      else if (a == "--import") o.imports.push_back(value);
      else if (!o.values.emplace(a, value).second) throw UsageError{a + " given twice"};
    } else if (a == "--actual") {
      o.actual = true;
    } else if (a == "--json") {
      o.json = true;
    } else if (a == "--overwrite") {
      o.overwrite = true;
    } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
      throw UsageError{"unknown option " + a};
    } else {
      o.words.push_back(a);
    }
  }
  if (o.imports.size() > static_cast<std::size_t>(kExtraSlots))
    throw UsageError{"at most 15 files can be imported"};
  if (o.words.empty()) throw UsageError{"no command given"};
  return o;
}

std::optional<long> ParseWhole(const std::string& s) {
  long v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
  return v;
}

void ExpectWords(const Options& o, std::size_t n) {
  if (o.words.size() != n) throw UsageError{"wrong number of arguments for " + o.words[0]};
}

std::string JsonString(std::string_view utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned char>(c));
          out += buf;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

// The caption beside each value label, by field number.
std::map<int, std::string_view> CaptionsByField(const Form1State& form) {
  std::map<int, std::string_view> captions{{2, "Actual Name:"}};
  for (int i = 0; i < kCaptionCount; ++i) captions[kCaptionSets[i].field] = form.captionTexts[i];
  return captions;
}

void PrintWeapon(const Form1State& form, bool json, std::ostream& out) {
  const auto captions = CaptionsByField(form);
  if (json) {
    out << "{\n  \"mode\": " << (form.VMode ? "\"viewing\"" : "\"actual\"") << ",\n  \"rows\": [\n";
    for (int s = 0; s < kSlotCount; ++s) {
      const int field = FieldOfSlot(static_cast<Slot>(s)).no;
      out << "    {\"field\": " << field << ", \"caption\": " << JsonString(captions.at(field))
          << ", \"value\": " << JsonString(Cp1252ToUtf8(form.valueTexts[s])) << "}"
          << (s + 1 < kSlotCount ? ",\n" : "\n");
    }
    out << "  ],\n  \"damage\": [";
    for (std::size_t i = 0; i < form.weapon.damage.size(); ++i)
      out << (i ? ", " : "") << JsonString(Cp1252ToUtf8(form.weapon.damage[i]));
    out << "]\n}\n";
    return;
  }
  std::size_t width = 0;
  for (const auto& [field, caption] : captions) width = std::max(width, caption.size());
  for (int s = 0; s < kSlotCount; ++s) {
    const int field = FieldOfSlot(static_cast<Slot>(s)).no;
    if (field == kDamageField + 1) {
      out << "[DAMAGE]\n";
      for (const auto& entry : form.weapon.damage) out << "  " << Cp1252ToUtf8(entry) << '\n';
    }
    const std::string_view caption = captions.at(field);
    out << caption << std::string(width + 2 - caption.size(), ' ') << Cp1252ToUtf8(form.valueTexts[s]) << '\n';
  }
}

int Run(const Options& o, std::ostream& out, std::ostream& err) {
  const std::string& command = o.words[0];

  if (command == "describe") {
    ExpectWords(o, 2);
    const auto field = ParseWhole(o.words[1]);
    const auto d = field ? DDesc(static_cast<int>(*field)) : std::nullopt;
    if (!d) throw UsageError{"FIELD must be a field number from 1 to 66"};
    out << d->key << '\n' << d->text << '\n';
    return 0;
  }
  if (command == "ids") {
    ExpectWords(o, 1);
    return runIds(o.game, o.imports, o.json, out, err);
  }
  if (command == "lint")
    return runLint(o.game, o.imports, std::vector<std::string>(o.words.begin() + 1, o.words.end()), o.json, out, err);
  if (command != "list" && command != "show" && command != "export")
    throw UsageError{"unknown command " + command};

  CliHost host(err);
  Form1State form(o.game, host);

  // Check the command's arguments before any file is read.
  std::optional<long> index;
  if (command == "list") ExpectWords(o, 1);
  if (command == "show") {
    if (o.values.count("--index")) {
      ExpectWords(o, 1);
      index = ParseWhole(o.values.at("--index"));
      if (!index) throw UsageError{"--index needs a whole number"};
    } else {
      ExpectWords(o, 2);
    }
  }
  if (command == "export") {
    ExpectWords(o, 2);
    for (const char* required : {"--actual-name", "--name", "--id", "--out"})
      if (!o.values.count(required)) throw UsageError{std::string("export needs ") + required};
  }

  form.Form_Load();
  for (const std::string& path : o.imports) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
      err << "warning: no file at " << path << ", not imported\n";
      continue;
    }
    form.ImportFile(path);
  }

  if (command == "list") {
    for (const auto& e : form.Combo1.entries()) out << Cp1252ToUtf8(e.text) << '\n';
    out << form.Label1 << '\n';
    return 0;
  }

  if (index) {
    if (*index < 0 || static_cast<std::size_t>(*index) >= form.Combo1.size())
      throw UsageError{"no list entry at index " + std::to_string(*index)};
  }
  const std::string name = index ? form.GetName(static_cast<int>(*index)) : Utf8ToCp1252(o.words[1]);
  if (!form.LoadWeapByName(name)) return 1;

  if (command == "show") {
    if (o.actual) form.OptionClick(false);
    PrintWeapon(form, o.json, out);
    return 0;
  }

  Form2State dialog;
  dialog.Text1 = o.values.at("--actual-name");
  dialog.Text2 = o.values.at("--name");
  dialog.Text3 = o.values.at("--id");
  host.savePath = o.values.at("--out");
  host.overwrite = o.overwrite;
  dialog.Command1_Click(form.weapon, host, form.cd1Path);
  return host.refused ? 1 : 0;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    return Run(Parse(args), out, err);
  } catch (const UsageError& e) {
    err << "quillmark-cli: " << e.message << '\n' << kUsage;
    return 2;
  }
}

}  // namespace qm

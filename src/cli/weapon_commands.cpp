// The commands that do what the window does: list, show, describe, export.
#include <algorithm>

#include "cli/command.h"
#include "platform/memory.h"
#include "platform/path_text.h"
#include "presentation/descriptions.h"
#include "presentation/export_dialog_state.h"
#include "text/numbers.h"
#include "text/text.h"

namespace qm {

namespace {

void printWeaponJson(const MainWindowState& window, std::ostream& out) {
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  for (int s = 0; s < kSlotCount; ++s) {
    rows.push_back({{"field", fieldOfSlot(static_cast<Slot>(s)).no},
                    {"caption", std::string(window.captionTexts()[s])},
                    {"value", cp1252ToUtf8(window.valueTexts()[s])}});
  }
  nlohmann::ordered_json damage = nlohmann::ordered_json::array();
  for (const auto& entry : window.weapon().damage) damage.push_back(cp1252ToUtf8(entry));
  writeJson(out, {{"mode", window.viewingMode() ? "viewing" : "actual"}, {"rows", rows}, {"damage", damage}});
}

// Caption and value a line, the captions padded to one column, the damage
// list before the row that follows it on the window.
void printWeaponText(const MainWindowState& window, std::ostream& out) {
  std::size_t width = 0;
  for (const std::string_view caption : window.captionTexts()) width = std::max(width, caption.size());
  for (int s = 0; s < kSlotCount; ++s) {
    const int field = fieldOfSlot(static_cast<Slot>(s)).no;
    if (field == kDamageField + 1) {
      out << "[DAMAGE]\n";
      for (const auto& entry : window.weapon().damage) out << "  " << cp1252ToUtf8(entry) << '\n';
    }
    const std::string_view caption = window.captionTexts()[s];
    out << caption << std::string(width + 2 - caption.size(), ' ') << cp1252ToUtf8(window.valueTexts()[s]) << '\n';
  }
}

// Loads NAME (UTF-8 on the command line) or the list entry at `index`;
// false with "Weapon not found!" shown when no block matches.
bool loadWeapon(CommandContext& context, const std::string& name, std::optional<long> index) {
  if (!index) return context.loadWithoutList(utf8ToCp1252(name));
  MainWindowState& window = context.window();
  if (*index < 0 || static_cast<std::size_t>(*index) >= window.weaponList().size())
    throw UsageError("no list entry at index " + std::to_string(*index));
  return window.showWeapon(window.entryName(static_cast<int>(*index)));
}

}  // namespace

Command::Run declareList(CLI::App&) {
  return [](CommandContext& context) {
    MainWindowState& window = context.window();
    // The whole list in one buffer, written at once.
    const WeaponList::Entries& entries = window.weaponList().entries();
    std::size_t size = window.countLine().size() + 1;
    for (const auto& e : entries) size += e.text.size() + 1;
    std::basic_string<char, std::char_traits<char>, platform::LargeAllocator<char>> text;
    text.reserve(size);  // more only where Windows-1252 letters become longer UTF-8
    for (const auto& e : entries) {
      if (std::all_of(e.text.begin(), e.text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        text += e.text;
      else
        text.append(cp1252ToUtf8(e.text));
      text += '\n';
    }
    text += window.countLine();
    text += '\n';
    context.out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return 0;
  };
}

Command::Run declareShow(CLI::App& sub) {
  struct Args {
    std::string name;
    std::optional<std::string> index;
    bool actual = false, json = false;
  };
  auto a = std::make_shared<Args>();
  CLI::Option* name =
      sub.add_option("NAME", a->name, "The weapon's bracket name (letter case not significant)")->type_name("NAME");
  CLI::Option* index = sub.add_option("--index", a->index, "Show the list entry at index N instead")->type_name("N");
  name->excludes(index);
  sub.add_flag("--actual", a->actual, "Actual Mode: the keys and the values as written");
  sub.add_flag("--json", a->json, "Print one JSON object");
  return [a, name, index](CommandContext& context) {
    if (!*name && !*index) throw UsageError("show needs NAME or --index N");
    const std::optional<long> n = a->index ? wholeNumber(*a->index) : std::nullopt;
    if (a->index && !n) throw UsageError("--index needs a whole number");
    if (!loadWeapon(context, a->name, n)) return 1;
    MainWindowState& window = context.window();
    window.setViewingMode(!a->actual);
    a->json ? printWeaponJson(window, context.out) : printWeaponText(window, context.out);
    return 0;
  };
}

Command::Run declareDescribe(CLI::App& sub) {
  auto field = std::make_shared<std::string>();
  sub.add_option("FIELD", *field, "The field number, 1 to 66")->type_name("N")->required();
  return [field](CommandContext& context) {
    const auto n = wholeNumber(*field);
    const auto d = n && *n >= 1 && *n <= 66 ? fieldDescription(static_cast<int>(*n)) : std::nullopt;
    if (!d) throw UsageError("FIELD must be a field number from 1 to 66");
    context.out << d->key << '\n' << d->text << '\n';
    return 0;
  };
}

Command::Run declareExport(CLI::App& sub) {
  struct Args {
    std::string weapon, actualName, name, id, out;
    bool overwrite = false;
  };
  auto a = std::make_shared<Args>();
  sub.add_option("NAME", a->weapon, "The weapon to export")->type_name("NAME")->required();
  sub.add_option("--actual-name", a->actualName, "The new weapon's bracket name")->type_name("N1")->required();
  sub.add_option("--name", a->name, "The new weapon's name= value")->type_name("N2")->required();
  sub.add_option("--id", a->id, "The new weapon's ID")->type_name("ID")->required();
  sub.add_option("--out", a->out, "The file to write")->type_name("FILE")->required();
  sub.add_flag("--overwrite", a->overwrite, "Replace FILE when it exists");
  return [a](CommandContext& context) {
    if (!loadWeapon(context, a->weapon, std::nullopt)) return 1;
    ExportDialogState dialog;
    dialog.actualName = a->actualName;
    dialog.name = a->name;
    dialog.weaponId = a->id;
    CliHost& host = context.host();
    host.savePath = platform::pathOf(a->out);
    host.overwrite = a->overwrite;
    dialog.exportWeapon(context.window().weapon(), host, context.window().lastPath());
    // What the game will misread in the new file is said, and the file kept.
    if (!dialog.written.empty())
      if (const std::string findings = exportFindings(context.game(), context.window().imports(), dialog.written);
          !findings.empty())
        context.err << findings << '\n';
    return host.refused ? 1 : 0;
  };
}

}  // namespace qm

#!/bin/bash
# Renames that make names say what they are. Word-bounded, each limited to
# the files its old name lives in, and safe to run again (a second run
# changes nothing). Run from the top of the checkout; the source files it
# changes are formatted again with clang-format.
set -euo pipefail
cd "$(dirname "$0")"

changed=()
# rename OLD PERL-EXPRESSION FILE...: applies the expression to each of the
# files that holds the text OLD.
rename() {
  local old=$1 expr=$2 f before
  shift 2
  while read -r f; do
    before=$(md5sum <"$f")
    perl -pi -e "$expr" "$f"
    [[ $(md5sum <"$f") == "$before" ]] || changed+=("$f")
  done < <(grep -lF -- "$old" "$@" 2>/dev/null || true)
}
# rename_unless WORD OLD PERL-EXPRESSION FILE...: the same, skipping files that hold WORD.
rename_unless() {
  local word=$1 old=$2 expr=$3 f
  shift 3
  for f in "$@"; do
    [[ -f $f ]] && ! grep -qF "$word" "$f" && rename "$old" "$expr" "$f"
  done
  return 0
}

cli=(src/cli/*.h src/cli/*.cpp)
table=(src/catalogue/weapon_table.h src/catalogue/weapon_table.cpp)
mapfile -t all < <(git ls-files src tests fuzz bench docs)

# The command line's Session (what a command runs with) clashed with edit::Session.
rename Session 's/(?<!::)\bSession\b/CommandContext/g' "${cli[@]}"
rename_unless 'edit::Session' session 's/\bsession\b/context/g' "${cli[@]}"
# The host's bits of what a procedure changed clashed with edit::Change.
rename 'enum Change' 's/\benum Change\b/enum StateChange/' src/presentation/host.h
rename '(Change bits)' 's/\(Change bits\)/(StateChange bits)/g' src/ui/*.h src/ui/*.cpp src/presentation/*.h src/presentation/*.cpp
# The weapons table: the block that loads each name, a block read, a block's values packed.
rename 'weapons_;  // by bracket name' 's{^(\s*)(std::vector<Where, [\w:]*LargeAllocator<Where>> weapons_;)  // (.*)$}{$1// \u$3\n$1$2}' src/catalogue/weapon_table.h
rename Where 's/(?<!\/\/ )\bWhere\b(?! the\b)/BlockOfName/g' "${table[@]}"
rename Loaded 's/\bLoaded\b/WeaponBlock/g; s/\bloadedOf\b/weaponBlockOf/g' "${table[@]}"
rename Packed 's/\bPacked\b/PackedSpans/g' "${table[@]}"
# The edit model: a stretch of a line the loader stores.
rename Loaded 's/\bLoaded\b/LoadedSpan/g' src/edit/change.cpp
# The command line's table: its output buffer, the room reserved in it, the SSE2 writer of values kept as they are.
rename TextRoom 's/\bTextRoom::Place\b/TextBuffer::WriteSpan/g; s/\bTextRoom\b/TextBuffer/g' "${all[@]}"
rename Place 's/\bPlace\b/WriteSpan/g' src/cli/table_commands.cpp
rename putShortPlain 's/\bputShortPlain\b/putShortUnescaped/g' "${all[@]}"
# The Game check window: an unresolved name that a weapon names (else a unit).
rename ofWeapon 's/\bofWeapon = (u\.kind != Unresolved::Kind::Weapon;)  \/\/ else of a unit/namedByWeapon = $1  \/\/ else named by a unit/; s/\bofWeapon\b/namedByWeapon/g' "${all[@]}"

sources=()
for f in "${changed[@]+"${changed[@]}"}"; do [[ $f == *.h || $f == *.cpp ]] && sources+=("$f"); done
if ((${#sources[@]})); then
  printf '%s\n' "${sources[@]}" | sort -u | xargs clang-format-14 -i
  printf 'renamed in %s\n' $(printf '%s\n' "${sources[@]}" | sort -u)
fi

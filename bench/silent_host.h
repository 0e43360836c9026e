// The host of the window benchmarks: answers every question with its
// default and shows no dialog.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "presentation/host.h"

namespace qm::bench {

struct SilentHost : Host {
  Answer msgBox(std::string_view, Buttons) override { return Answer::Ok; }
  std::optional<std::filesystem::path> showOpen(const std::filesystem::path&) override { return std::nullopt; }
  std::optional<std::filesystem::path> showSave(const std::filesystem::path&, std::string_view) override {
    return std::nullopt;
  }
};

}  // namespace qm::bench

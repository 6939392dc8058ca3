// A settings store that remembers nothing, so that a benchmark leaves the user's values alone.
#pragma once

#include <string>

#include "core/settings_store.h"

namespace snapnook {

class NoSettings : public SettingsStore {
 public:
  std::string Read(const std::string&, const std::string&, const std::string&,
                   const std::string& fallback) override {
    return fallback;
  }
  void Write(const std::string&, const std::string&, const std::string&,
             const std::string&) override {}
};

}  // namespace snapnook

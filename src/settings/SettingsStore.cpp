#include "settings/SettingsStore.h"

std::string SettingsStore::IniPath() const { return platform::InFolder(programFolder_, kFileName); }

std::string SettingsStore::ReadSetting(std::string_view section, std::string_view key, std::string_view defaultValue) {
    std::string copied = profile_.GetString(section, key, defaultValue, IniPath());
    if (copied.empty()) return std::string(defaultValue);  // nothing copied: an empty stored value
    return copied;
}

void SettingsStore::WriteSetting(std::string_view section, std::string_view key, std::string_view value) {
    std::optional<std::string> stored;
    if (!value.empty()) stored = std::string(value);
    profile_.PutString(section, key, stored, IniPath());
}

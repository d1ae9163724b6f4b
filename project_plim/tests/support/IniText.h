#pragma once
// Reads INI text into sections of key/value pairs, the way the engine writes
// it, so tests can check a saved settings file without the engine's reader.
#include <map>
#include <string>

class IniText {
public:
    explicit IniText(const std::string& text);

    bool has(const std::string& section, const std::string& key) const;
    // Empty when missing.
    std::string get(const std::string& section, const std::string& key) const;

    std::map<std::string, std::map<std::string, std::string>> sections;
};

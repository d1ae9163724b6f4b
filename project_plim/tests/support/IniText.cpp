#include "IniText.h"

#include <sstream>

IniText::IniText(const std::string& text) {
    std::istringstream in(text);
    std::string line, section;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        size_t equals = line.find('=');
        if (equals == std::string::npos) {
            section = line.size() >= 2 ? line.substr(1, line.size() - 2) : std::string();
            sections[section];
        } else {
            sections[section].emplace(line.substr(0, equals), line.substr(equals + 1));
        }
    }
}

bool IniText::has(const std::string& section, const std::string& key) const {
    auto s = sections.find(section);
    return s != sections.end() && s->second.count(key) != 0;
}

std::string IniText::get(const std::string& section, const std::string& key) const {
    auto s = sections.find(section);
    if (s == sections.end()) return std::string();
    auto k = s->second.find(key);
    return k == s->second.end() ? std::string() : k->second;
}

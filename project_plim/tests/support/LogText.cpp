#include "LogText.h"

#include <sstream>

LogText::LogText(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        size_t tab = line.find('\t');
        bool prefixed = !line.empty() && (line[0] == '\t' || line[0] == '+') && tab != std::string::npos;
        lines.push_back(prefixed ? line.substr(tab + 1) : line);
    }
}

int LogText::find(const std::string& message, int from) const {
    for (int i = from < 0 ? 0 : from; i < (int)lines.size(); ++i)
        if (lines[i] == message) return i;
    return -1;
}

int LogText::findPrefix(const std::string& prefix, int from) const {
    for (int i = from < 0 ? 0 : from; i < (int)lines.size(); ++i)
        if (lines[i].compare(0, prefix.size(), prefix) == 0) return i;
    return -1;
}

int LogText::count(const std::string& message) const {
    int n = 0;
    for (const std::string& line : lines) n += line == message;
    return n;
}

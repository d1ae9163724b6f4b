#pragma once
// The lines of a run's log without their time prefixes ("\t" or "+N\t").
#include <string>
#include <vector>

class LogText {
public:
    explicit LogText(const std::string& text);

    // Index of the first line equal to message at or after from; -1 when none.
    int find(const std::string& message, int from = 0) const;
    // Index of the first line starting with prefix; -1 when none.
    int findPrefix(const std::string& prefix, int from = 0) const;
    int count(const std::string& message) const;

    std::vector<std::string> lines;
};

#pragma once
// The start's lines on standard error, built in one way: the program's name
// first, a line feed last, and every value from outside the program (a path,
// an environment variable's value) quoted and escaped so that no control byte
// reaches the terminal.
#include <string>

// The program's name, then text (beginning with what follows the name: " cannot
// ...", ": ..."), then a line feed.
std::string startLine(const std::string& text);

// A value from outside the program as a line shows it: 'value', escaped.
std::string quotedValue(const std::string& value);

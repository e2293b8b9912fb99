#pragma once

#include <string>
#include <vector>

// A fresh, empty directory for one test under the build's test scratch area.
std::string makeScratchDir(const std::string& name);

void writeFile(const std::string& path, const std::vector<unsigned char>& bytes);
void writeFile(const std::string& path, const std::string& text);
std::vector<unsigned char> readFile(const std::string& path);

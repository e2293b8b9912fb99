#pragma once

#include <string>
#include <vector>

// A fresh, empty directory for one test under the build's test scratch area.
std::string makeScratchDir(const std::string& name);

// A fresh scratch directory name/<running test's name>, so that tests run in
// parallel never share one.
std::string makeTestScratchDir(const std::string& name);

void writeFile(const std::string& path, const std::vector<unsigned char>& bytes);
void writeFile(const std::string& path, const std::string& text);
std::vector<unsigned char> readFile(const std::string& path);

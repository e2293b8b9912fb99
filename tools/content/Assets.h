#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace content {

struct Options {
    std::string outDir;
    std::string font, fontLicence; // copied when given
    std::string icon;              // the desktop's icon, written there when given
    std::string only;              // write just the files whose names contain this
};

// Makes every file and writes it under options.outDir.
void writeAll(const Options& options);

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> readFile(const std::string& path);
std::vector<uint8_t> textBytes(const std::string& text);

} // namespace content

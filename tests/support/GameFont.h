#pragma once

#include <string>

// The font file the build copies into the game's res/ folder.
std::string gameFontFile();

// Loads the game's global font from that file at the game's size, once per
// process; needs a current OpenGL context. Throws what the font throws.
void loadGameFont();

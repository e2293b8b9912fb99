#include "support/GameFont.h"

#include "app/Globals.h"

std::string gameFontFile() {
    return MORROWFEN_GAME_DIR "/res/arialBlack.ttf";
}

void loadGameFont() {
    if (font.textures == nullptr) {
        font.init(gameFontFile().c_str(), 20);
    }
}

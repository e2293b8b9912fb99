// The whole heads-up display of a frame (five lines and eight shells, drawn
// and finished) beside FreeType rasterising the same five lines afresh, the
// work the glyph textures and lists are built once to avoid.
// Run under a display from the game's folder (it reads res/):
//   cd build/game && xvfb-run -s '-screen 0 1024x768x24 -noreset' ../bench/bench_hud

#include "app/Hud.h"
#include "BenchWindow.h"
#include "app/Globals.h"
#include "assets/Texture2DManager.h"

#include <SDL_opengl.h>
#include <benchmark/benchmark.h>

#include <stdexcept>

namespace {

const char* const FONT_FILE = "res/arialBlack.ttf";

// The display's font and shell picture, and the values of a busy frame.
bool loadDisplay() {
    if (!openBenchWindow()) {
        return false;
    }
    try {
        font.init(FONT_FILE, 20);
    } catch (const std::runtime_error&) {
        return false;
    }
    shellTexture = Texture2DManager::getInstance()->load("res/shell.tga");
    points = 1230;
    fps = 61.5f;
    showFps = true;
    return shellTexture != nullptr;
}

void BM_Hud(benchmark::State& state) {
    static const bool ready = loadDisplay();
    if (!ready) {
        state.SkipWithError("no window or no res/ (run under a display from build/game)");
        return;
    }
    for (auto _ : state) {
        drawHud("Shotgun", 8, 3, 73.6f, 100.0f);
        glFinish();
    }
}
BENCHMARK(BM_Hud)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_FreeTypeLines(benchmark::State& state) {
    FT_Library library;
    FT_Face face;
    if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, FONT_FILE, 0, &face) != 0) {
        state.SkipWithError("no res/ (run from build/game)");
        return;
    }
    FT_Set_Char_Size(face, 20 * 64, 20 * 64, 96, 96);
    const char* lines[] = {"Shotgun", "x 3", "Health: 74 / 100", "Points: 1230", "FPS: 61.500000"};
    for (auto _ : state) {
        long coverage = 0;
        for (const char* line : lines) {
            for (const char* c = line; *c != '\0'; ++c) {
                if (FT_Load_Char(face, static_cast<FT_ULong>(*c), FT_LOAD_RENDER) == 0) {
                    coverage += face->glyph->bitmap.rows;
                }
            }
        }
        benchmark::DoNotOptimize(coverage);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}
BENCHMARK(BM_FreeTypeLines)->UseRealTime()->Unit(benchmark::kMicrosecond);

} // namespace

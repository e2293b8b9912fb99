#pragma once

#include <vector>

namespace content {

// Mono samples at the game's mixing rate.
std::vector<float> makeShotgunBlast();
std::vector<float> makePumpAction();
// The looping background track, stereo; every sample of the loop, whose end
// runs on into its start.
void makeMusic(std::vector<float>& left, std::vector<float>& right);

} // namespace content

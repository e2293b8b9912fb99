#pragma once

// What the world's rules read of the game being played: the survivor the
// zombies chase and strike, and the score their deaths add to. The
// application sets them up with the scene.

class Character;

// The one survivor, or null while there is none.
extern Character* player;
// The score of the round being played.
extern int points;

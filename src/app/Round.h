#pragma once

class BestScore;

// Rounds of play. A round ends when the figure's health is used up: the
// world stands still under a message with the round's points and the best
// score, the pointer is let go, and Enter or a click starts the next round
// on a fresh field.

// The round being played or just ended, from 1.
extern int roundNumber;
// The figure of this round is dead and the world stands still.
extern bool roundOver;

// The best score of all runs, kept in the player's data folder.
BestScore& bestScore();

// Ends the round if the figure's health has been used up since the last
// call; true when it did.
bool endRoundIfFigureDied();

// The message over the frame just drawn, which is kept to stand behind the
// message for as long as the round stays over.
void showRoundOver();

// Shows the kept frame and the message again.
void drawRoundOver();

// Input while the round is over: Escape and closing the window quit as in
// play; true when Enter or the left button asks for a new round.
bool roundOverInput();

// Clears the world and creates the scene afresh with no points, the next
// round's number and the pointer taken back.
void startNewRound();

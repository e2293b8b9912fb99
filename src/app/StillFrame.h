#pragma once

// The world standing still behind a message: the last frame drawn is kept
// and shown again, frame after frame, for as long as the game is paused or a
// round is over.

// Makes the texture a kept frame goes into, once: at start-up, so that the
// first pause or round's end costs nothing new.
void prepareKeptFrame();

// Copies the frame just drawn, before the message goes over it.
void keepFrame();

// Draws the kept frame back over the whole window; nothing while none is
// kept.
void drawKeptFrame();

// Forgets the kept frame, for the next round.
void forgetKeptFrame();

// A dark band across the middle of the window, from 300 to 470 pixels up,
// for a message to read over any part of the field; leaves the window-pixel
// projection set for the message's lines.
void drawMessageBand();

#pragma once

// Starts the background music, looping for ever.
void startMusic();

// Puts the camera 90 units behind the player figure, looking where it looks.
void placeCamera();

// A frame's time is cut to this before the world moves by it, so that the
// first frame (all of loading), a dragged window or a machine waking from
// sleep does not throw the world forward.
constexpr float MAX_FRAME_TIME = 0.25f;
// The longest step the object list is updated by: a longer frame is split
// into equal steps, so that shots do not pass through zombies between two
// updates and blows land however slowly the frames come.
constexpr float MAX_WORLD_STEP = 1.0f / 30.0f;

// How far one frame moved the world: dt the frame time after the cut, in
// steps updates of the object list; no steps while the world stood still.
struct WorldAdvance {
    float dt = 0.0f;
    int steps = 0;
};

// The fewest equal steps, each at most MAX_WORLD_STEP, that make dt.
int worldSteps(float dt);

// Advances the world by the previous frame's time in seconds, cut to
// MAX_FRAME_TIME: the object list in worldSteps of it (the figure keeps the
// frame's movement requests through all of them, and the steps stop once it
// has died), then the camera and the particles once.
WorldAdvance updateWorld(float frameTime);

// One frame: input, world, drawing and the swap while the round is played;
// the still field under a message while it is paused or over.
WorldAdvance playFrame(float frameTime);

class FrameTimer;
class Trace;

// One turn of the frame loop: the frame's time, the frame, its trace line
// and, while nothing moves, a short wait for input.
void runFrame(FrameTimer& timer, Trace* trace);

// Runs the frame loop for ever; the process ends inside the control step,
// or after the last frame of a recording played back.
[[noreturn]] void runFrameLoop();

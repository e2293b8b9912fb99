#pragma once

// The per-frame input step: one queued event, then the held keys and mouse
// buttons. Closing the window or holding Escape ends the process.
void handleEvents();

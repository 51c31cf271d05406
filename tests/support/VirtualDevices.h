#pragma once
// A player's devices for the tests, through SDL's event queue so that the program's own
// event pump takes them: key presses, and game controllers (SDL's virtual joysticks)
// plugged in and pulled out.
struct _SDL_Joystick;

// A new virtual controller with every button and axis of a common pad, opened by the test
// so it can press its buttons; null (with SDL's reason on stderr) when SDL cannot make one.
_SDL_Joystick* AttachVirtualPad();
// Pulls the controller out; false when SDL could not.
bool DetachVirtualPad(_SDL_Joystick* pad);

// A key's press or release (an SDL scancode) in SDL's event queue; false when it is full.
bool PushKeyEvent(int scancode, bool down);

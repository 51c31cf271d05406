#pragma once
// Game controllers for the tests: SDL's virtual joysticks, plugged in and pulled out as a
// player would, so that the program's own event pump opens and closes them.
struct _SDL_Joystick;

// A new virtual controller with every button and axis of a common pad, opened by the test
// so it can press its buttons; null (with SDL's reason on stderr) when SDL cannot make one.
_SDL_Joystick* AttachVirtualPad();
// Pulls the controller out; false when SDL could not.
bool DetachVirtualPad(_SDL_Joystick* pad);

#include "tests/support/VirtualDevices.h"

#include <SDL.h>

#include <cstdio>

SDL_Joystick* AttachVirtualPad() {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Pellora test pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    SDL_Joystick* const pad = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
    if (pad == nullptr) {
        std::fprintf(stderr, "AttachVirtualPad: %s\n", SDL_GetError());
    }
    return pad;
}

bool DetachVirtualPad(SDL_Joystick* pad) {
    const SDL_JoystickID id = SDL_JoystickInstanceID(pad);
    int index = -1;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (SDL_JoystickGetDeviceInstanceID(i) == id) {
            index = i;
        }
    }
    SDL_JoystickClose(pad);
    return index >= 0 && SDL_JoystickDetachVirtual(index) == 0;
}

bool PushKeyEvent(int scancode, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = static_cast<SDL_Scancode>(scancode);
    return SDL_PushEvent(&event) == 1;
}

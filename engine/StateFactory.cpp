#include "engine/StateFactory.h"

#include "engine/WelcomeScreen.h"

#include <new>

CEngineState* CreateState(int32_t stateId) {
    switch (stateId) {
        case kStateIntro:
            return new (std::nothrow) CWelcomeScreen();
        default:
            return nullptr;
    }
}

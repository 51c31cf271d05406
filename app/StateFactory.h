#pragma once
// The program's state factory: a new screen object for a state number, or null.
#include "engine/EngineState.h"

CEngineState* CreateState(int32_t stateId);

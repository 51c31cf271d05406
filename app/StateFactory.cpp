#include "app/StateFactory.h"

#include "app/PreviewScreen.h"

#include <new>

CEngineState* CreateState(int32_t stateId) {
    switch (stateId) {
        case kStateIntro:
            return new (std::nothrow) CPreviewScreen();
        default:
            return nullptr;
    }
}

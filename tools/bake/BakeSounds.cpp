#include "tools/bake/Bake.h"

// Not generated yet: the archive stays empty until this bake step exists.
BakedFiles BakeSounds(const BakeContext&) {
    return {};
}

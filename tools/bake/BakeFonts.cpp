#include "tools/bake/Bake.h"

// Not generated yet: the archive stays empty until this bake step exists.
BakedFiles BakeFonts(const BakeContext&) {
    return {};
}

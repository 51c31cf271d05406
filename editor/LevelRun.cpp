#include "editor/LevelRun.h"

int32_t g_levelNumber = 1;
int32_t g_firstLevel = 1;
int32_t g_lastLevel = kUnlimitedLastLevel;
bool g_editorTest = false;

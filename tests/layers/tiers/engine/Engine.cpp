#include "tiers/engine/Engine.h"

int EngineValue() {
    return 1;
}

#include "tiers/model/Model.h"

#include "tiers/engine/Engine.h"

int ModelValue() {
    return EngineValue() + 1;
}

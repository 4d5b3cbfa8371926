#include "tiers/model/Model.h"

// An engine that reaches up into the model.
int EngineUsesModel() {
    return ModelValue();
}

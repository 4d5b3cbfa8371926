#include "tiers/steps/a/A.h"

#include "tiers/model/Model.h"

int AValue() {
    return ModelValue() + 1;
}

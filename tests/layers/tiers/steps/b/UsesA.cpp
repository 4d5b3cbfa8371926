#include "tiers/steps/a/A.h"

// A consumer that uses its sibling.
int BUsesA() {
    return AValue() + 1;
}

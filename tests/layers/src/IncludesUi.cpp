#include "common/ui/Dialog.h"

#include "common/Messages.h"
// A core source that includes the messages interface is caught without calling it.

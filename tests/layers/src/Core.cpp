#include "src/Core.h"
/* AskConfirm(text) in a comment calls nothing. */
int CoreValue() {
    return 1;
}

#include "common/Messages.h"
void ShowError(int);
void Talk() {
    ShowError(1);
}

#pragma once

class TFormMain;
class TFormRefs;

/** Opens the step of a list entry's kind over the window's step context. */
void OpenStep(TFormMain& window, int kind);
/** "Довідники": both databases connected, the window shown, the indexation read again. */
void OpenReferenceBooks(TFormMain& window, TFormRefs& refs);

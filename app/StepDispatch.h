#pragma once

class TFormMain;
class TFormRefs;

/** Opens the step of a list entry's kind. */
void OpenStep(TFormMain& window, int kind);
/** "Довідники": both databases connected, the window shown, the indexation read again. */
void OpenReferenceBooks(TFormRefs& refs);
/** Reads the indexation table into the program's memory. */
void LoadProgramIndexation();

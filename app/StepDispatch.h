#pragma once

class TFormMain;
class TFormRefs;

/**
 * Opens the registered step of a list entry's kind over the window's step context; the
 * automatic copy made before its store is labelled with the step's caption. Nothing happens
 * for a kind that is not a step or without a selected settlement.
 */
void OpenStep(TFormMain& window, int kind);
/** "Довідники": both databases connected, the window shown, the indexation read again. */
void OpenReferenceBooks(TFormMain& window, TFormRefs& refs);

#pragma once

class QWidget;

/**
 * Windows made once and kept for the whole run (the wait window, the dialog, the balloon):
 * the application owns them and deletes them together, while the application object still
 * exists, so nothing of them outlives the run.
 */
void KeepUntilApplicationEnds(QWidget* window);

/** Deletes every window kept by KeepUntilApplicationEnds (those not deleted already). */
void DeleteApplicationWindows();

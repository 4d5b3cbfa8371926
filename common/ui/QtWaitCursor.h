#pragma once

/** Makes WaitCursor show the application's hourglass (once, at start-up). */
void InstallQtWaitCursor();

#pragma once

class QWidget;

/**
 * Makes a modal window minimise the whole program with it and come back when it is
 * restored; the window gets a minimise button.
 */
void MinimizeWithApplication(QWidget* window);

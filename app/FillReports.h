#pragma once

class TFormMain;

/**
 * "Заповнити звіт" of the current settlement: the technical report and both workbooks, each
 * in the progress window, registered among the materials and added to the list.
 */
void FillReports(TFormMain& window);

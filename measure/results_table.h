#pragma once
// The results table of the results window, filled from the texts of results_table_format.h.

#include "measure/results_table_format.h"

class Form1;
class Form2;
class QLabel;
class QTableWidget;

void fillResultsTable(QTableWidget& grid, QLabel& resultLabel, const ResultsTableInput& in);

// The measurement step: the table of the results window from the shared results and the main
// window's settings.
void FillResultsTable(const Form1& main, Form2& results);

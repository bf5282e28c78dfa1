/* symbol_report.cpp - the symbol table report and the macro names text. */
#include "output/output.h"
#include "frame/frame.h"

void write_symbol_report() {}

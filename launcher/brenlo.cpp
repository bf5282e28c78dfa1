/* brenlo.cpp - the launcher's run: the first "b*.ex" of the current
   directory is started, and nothing else is ever done. */
#include "brenlo.h"

const char BRENLO_PATTERN[] = "b*.ex";

int run_brenlo()
{
    char name[FOUND_NAME_SIZE];
    if (find_first_file(BRENLO_PATTERN, name))
        start_process(name);
    return 0;
}

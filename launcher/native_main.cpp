/* native_main.cpp - the entry of the native Brenlo. */
#include "brenlo.h"

int main()
{
    return run_brenlo();
}

/* mark.cpp - the program the launcher tests start: it appends its command
   line, and whether it has a console of its own, to the file "started" of
   its current directory, then ends. */
#include <windows.h>

#include <stdio.h>

int main()
{
    FILE *f = fopen("started", "ab");
    if (!f)
        return 1;
    fprintf(f, "%s|%s\n", GetCommandLineA(), GetConsoleWindow() ? "console" : "no console");
    fclose(f);
    return 0;
}

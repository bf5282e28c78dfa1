/* brenlo.h - Brenlo, the kit's windowless launcher: its run, and the two
   operations it needs from the platform (win32.cpp on Windows,
   native.cpp elsewhere). */
#ifndef BRENLO_H
#define BRENLO_H

/* The main program's file: a relative pattern, searched in the current
   directory, without regard to case. Its extension is ".ex", not ".exe". */
extern const char BRENLO_PATTERN[];

/* The platform's 260-character file name field, NUL included. */
enum { FOUND_NAME_SIZE = 260 };

/* Platform: copies into name the first entry matching pattern that the
   directory search reports; false when nothing matches. */
bool find_first_file(const char *pattern, char name[FOUND_NAME_SIZE]);

/* Platform: starts command_line (a bare file name) as a new process with its
   own console, not waited for. Failures are silent. */
void start_process(const char *command_line);

/* The launcher's run: starts the first match, if any. Returns the exit
   code, which is always 0. */
int run_brenlo();

#endif

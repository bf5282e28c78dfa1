/* win32.cpp - Brenlo on Windows: the directory search and the process start
   through kernel32, and the program's entry. The search handle and the new
   process's handles stay open: the process ends at once and frees them. */
#include <windows.h>

#include <string.h>

#include "brenlo.h"

bool find_first_file(const char *pattern, char name[FOUND_NAME_SIZE])
{
    WIN32_FIND_DATAA found;
    if (FindFirstFileA(pattern, &found) == INVALID_HANDLE_VALUE)
        return false;
    memcpy(name, found.cFileName, FOUND_NAME_SIZE);
    name[FOUND_NAME_SIZE - 1] = '\0';
    return true;
}

void start_process(const char *command_line)
{
    /* CreateProcessA may write into its command line. */
    char line[FOUND_NAME_SIZE];
    strcpy(line, command_line);
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process;
    CreateProcessA(NULL, line, NULL, NULL, FALSE, CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS, NULL, NULL,
                   &startup, &process);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ExitProcess(run_brenlo());
}

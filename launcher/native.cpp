/* native.cpp - Brenlo's platform operations over POSIX, so that its run is
   built and tested natively. The directory search matches names without
   regard to case and reports them in the order of their upper-case forms,
   as Windows' and Wine's searches do ("BZ.EX" before "B_X.EX"). */
#include <ctype.h>
#include <dirent.h>
#include <fnmatch.h>
#include <spawn.h>
#include <string.h>

#include <string>

#include "brenlo.h"

extern char **environ;

/* True when a sorts before b, compared as upper-case names. */
static bool sorts_before(const char *a, const char *b)
{
    for (; *a && toupper((unsigned char)*a) == toupper((unsigned char)*b); ++a, ++b) {
    }
    return toupper((unsigned char)*a) < toupper((unsigned char)*b);
}

bool find_first_file(const char *pattern, char name[FOUND_NAME_SIZE])
{
    DIR *dir = opendir(".");
    if (!dir)
        return false;
    std::string first;
    while (const dirent *entry = readdir(dir)) {
        if (fnmatch(pattern, entry->d_name, FNM_CASEFOLD) != 0)
            continue;
        if (strlen(entry->d_name) >= FOUND_NAME_SIZE)
            continue;
        if (first.empty() || sorts_before(entry->d_name, first.c_str()))
            first = entry->d_name;
    }
    closedir(dir);
    if (first.empty())
        return false;
    memcpy(name, first.c_str(), first.size() + 1);
    return true;
}

void start_process(const char *command_line)
{
    /* The bare name is found in the current directory, as on Windows. */
    std::string path = std::string("./") + command_line;
    char *argv[] = {const_cast<char *>(command_line), nullptr};
    pid_t child;
    posix_spawn(&child, path.c_str(), nullptr, nullptr, argv, environ);
}

/* link_probe.cpp - reads every shell link (.lnk) of a folder through the
   shell's own link object and reports one line per link, in the order the
   directory search gives: "name|path|arguments|working directory".
   usage: link_probe FOLDER */
#include <windows.h>
#include <shlobj.h>

#include <stdio.h>
#include <string>

static void print_link(IShellLinkA *link, IPersistFile *file, const std::string &folder, const char *name)
{
    std::string path = folder + "\\" + name;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    char target[MAX_PATH] = "", arguments[1024] = "", directory[MAX_PATH] = "";
    if (FAILED(file->Load(wide, STGM_READ))) {
        printf("%s|unreadable\n", name);
        return;
    }
    link->GetPath(target, sizeof target, NULL, SLGP_RAWPATH);
    link->GetArguments(arguments, sizeof arguments);
    link->GetWorkingDirectory(directory, sizeof directory);
    printf("%s|%s|%s|%s\n", name, target, arguments, directory);
}

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    CoInitialize(NULL);
    IShellLinkA *link = NULL;
    IPersistFile *file = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void **)&link)) ||
        FAILED(link->QueryInterface(IID_IPersistFile, (void **)&file)))
        return 1;
    std::string folder = argv[1];
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.lnk").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do
            print_link(link, file, folder, found.cFileName);
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    file->Release();
    link->Release();
    CoUninitialize();
    return 0;
}

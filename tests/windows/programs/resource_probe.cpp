/* resource_probe.cpp - reports, as the shell finds them, the icon groups of
   a program's file: every group's name, whether the group "Ic\xF4ne1" is
   found by name, and the size and colour depth of the icon that group
   offers for 32 x 32 pixels. One line each, Windows-1252.
   usage: resource_probe PROGRAM */
#include <windows.h>

#include <stdio.h>

static BOOL CALLBACK print_group(HMODULE, LPCSTR, LPSTR name, LONG_PTR)
{
    if (IS_INTRESOURCE(name))
        printf("group #%u\n", (unsigned)(ULONG_PTR)name);
    else
        printf("group %s\n", name);
    return TRUE;
}

static const void *resource_data(HMODULE module, HRSRC found)
{
    return found ? LockResource(LoadResource(module, found)) : NULL;
}

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    HMODULE module = LoadLibraryExA(argv[1], NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) {
        printf("cannot load %s\n", argv[1]);
        return 1;
    }
    EnumResourceNamesA(module, RT_GROUP_ICON, print_group, 0);
    const void *group = resource_data(module, FindResourceA(module, "Ic\xF4ne1", RT_GROUP_ICON));
    printf("found by name: %s\n", group ? "yes" : "no");
    if (!group)
        return 1;
    int id = LookupIconIdFromDirectoryEx((PBYTE)group, TRUE, 32, 32, LR_DEFAULTCOLOR);
    const BITMAPINFOHEADER *image =
        (const BITMAPINFOHEADER *)resource_data(module, FindResourceA(module, MAKEINTRESOURCEA(id), RT_ICON));
    if (!image)
        return 1;
    printf("icon %ldx%ld, %u bits a pixel\n", image->biWidth, image->biHeight / 2, image->biBitCount);
    return 0;
}

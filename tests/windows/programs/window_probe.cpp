/* window_probe.cpp - reports a top-level window of another program as a
   person sees it: its title, then one line per child window, "id|class|text"
   in Windows-1252. Exit code 1 when no window has that title.
   usage: window_probe TITLE */
#include <windows.h>

#include <stdio.h>

static BOOL CALLBACK print_child(HWND child, LPARAM)
{
    char text[1024] = "", window_class[64] = "";
    GetWindowTextA(child, text, sizeof text);
    GetClassNameA(child, window_class, sizeof window_class);
    printf("%d|%s|%s\n", (int)(short)GetDlgCtrlID(child), window_class, text);
    return TRUE;
}

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    HWND window = FindWindowA(NULL, argv[1]);
    if (!window)
        return 1;
    printf("%s\n", argv[1]);
    EnumChildWindows(window, print_child, 0);
    return 0;
}

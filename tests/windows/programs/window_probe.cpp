/* window_probe.cpp - reports a top-level window of another program as a
   person sees it: its title, then one line per child window,
   "id|class|text|x,y" in Windows-1252, x and y the screen position of the
   child's centre (where a click lands). Exit code 1 when no window has that
   title.
   usage: window_probe TITLE */
#include <windows.h>

#include <stdio.h>

static BOOL CALLBACK print_child(HWND child, LPARAM)
{
    /* GetWindowText would give another program's edit controls as empty. */
    char text[1024] = "", window_class[64] = "";
    DWORD_PTR length;
    SendMessageTimeoutA(child, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, &length);
    GetClassNameA(child, window_class, sizeof window_class);
    RECT box;
    GetWindowRect(child, &box);
    printf("%d|%s|%s|%ld,%ld\n", (int)(short)GetDlgCtrlID(child), window_class, text, (box.left + box.right) / 2,
           (box.top + box.bottom) / 2);
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

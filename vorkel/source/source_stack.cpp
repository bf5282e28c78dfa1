/* source_stack.cpp - the source stack and the character reader: opening and
   closing the main source and included files, the line buffer and next_char,
   file numbers and line numbers, file_list and the listing banners. */
#include <stdio.h>
#include <string.h>

#include "source.h"
#include "../frame/frame.h"
#include "../output/output.h"

SourceContext *source_top;
char line_buffer[LINE_BUFFER_SIZE];
char *char_pos;
int current_char;
int32_t file_nesting_level;
int32_t file_line;
uint8_t file_number;

/* Included files may nest this deep below the main source. The limit stops
   a file that includes itself, and keeps every saved line number: each file
   opened gets its own slot, so the outer files' numbers always come back. */
enum { MAX_FILE_NESTING = 16 };
enum { INCLUDE_DIR_ROOM = 151 }; /* a name buffer's room for include_dir */

static int32_t saved_lines[MAX_FILE_NESTING + 1]; /* file_line of each includer */
static FILE *open_files[MAX_FILE_NESTING + 1];  /* by nesting level; [0] unused */
static uint32_t files_opened;      /* files opened in the run, the main source included */
static uint32_t next_top_level;    /* number of the next file included from the main source */
static const char *main_position;  /* next character of the main text */

static void close_open_files()
{
    for (FILE *&file : open_files) {
        if (file)
            fclose(file);
        file = nullptr;
    }
}

void source_reset()
{
    close_open_files();
    source_top = nullptr;
    char_pos = nullptr;
    current_char = ' ';
    line_buffer[0] = '\0';
    file_line = 0;
    file_number = 255; /* the main source's opening makes it 0 */
    files_opened = 0;
    next_top_level = 1;
    main_position = source_text;
}

static bool listing_shows_file()
{
    return listing_state != 0 && ((run_options & OPT_LIST_INCLUDES) || file_number == 0);
}

/* An include file, by its name, then with include_dir in front. */
static FILE *open_include(char *name_buffer, const char *name)
{
    FILE *file = fopen(name_buffer, "rb");
    if (file)
        return file;
    const char *dir = asm_result.include_dir;
    if (dir) {
        snprintf(name_buffer, strlen(name) + INCLUDE_DIR_ROOM, "%.150s%s", dir, name);
        file = fopen(name_buffer, "rb");
    }
    return file;
}

/* The number an include opened now would get. */
static uint32_t next_file_number()
{
    return file_number == 0 ? next_top_level : file_number + 1u;
}

static void number_new_file()
{
    if (file_number == 0) {
        file_number = (uint8_t)next_top_level;
    } else {
        file_number++;
        files_opened++;
    }
}

static void number_includer()
{
    if (file_number == next_top_level) {
        file_number = 0;
        files_opened++;
        next_top_level = files_opened;
    } else {
        file_number--;
    }
}

void open_source(const char *name)
{
    if (abort_flag)
        return;
    if (file_nesting_level > MAX_FILE_NESTING) {
        error(0, "Trop de fichiers inclus imbriqu\xE9s (%d au maximum) '%s'", MAX_FILE_NESTING, name);
        discard_line();
        return;
    }
    SourceContext *entry = static_cast<SourceContext *>(pool_alloc(sizeof(SourceContext)));
    char *name_buffer = static_cast<char *>(pool_alloc(strlen(name) + INCLUDE_DIR_ROOM));
    if (!entry || !name_buffer)
        return;
    memset(entry, 0, sizeof *entry);
    entry->kind = SOURCE_FILE;
    entry->cond_entry = cond_depth;
    entry->name = name_buffer;
    strcpy(name_buffer, name);
    if (file_nesting_level != 0) {
        entry->file = open_include(name_buffer, name);
        if (!entry->file) {
            error(0, "Impossible d'ouvrir fichier inclus '%s'", name_buffer);
            discard_line();
            return;
        }
        /* A file number is one byte: a 256th file would pass for the main source. */
        if (next_file_number() > 255) {
            fclose(entry->file);
            error(0, "Trop de fichiers inclus (255 au maximum) '%s'", name_buffer);
            discard_line();
            return;
        }
        open_files[file_nesting_level] = entry->file;
    }
    entry->outer = source_top;
    source_top = entry;
    discard_line();
    for (int32_t level = 0; level < file_nesting_level; level++)
        text_append(&file_list, "  ");
    text_printf(&file_list, "%s\n", name_buffer);
    file_nesting_level++;
    number_new_file();
    if (listing_shows_file())
        text_printf(&listing_text, "\n............... Source %s ...............\n", name_buffer);
    saved_lines[file_nesting_level - 1] = file_line;
    file_line = 0;
}

void close_source()
{
    SourceContext *entry = source_top;
    if (abort_flag || !entry)
        return;
    if (cond_depth != entry->cond_entry) {
        error(0, "Bloc conditionnel sans ENDIF");
        cond_depth = entry->cond_entry;
    }
    if (entry->kind == SOURCE_FILE) {
        if (listing_shows_file())
            text_printf(&listing_text, "............... Fin de %s ..............\n\n", entry->name);
        number_includer();
        file_nesting_level--;
        file_line = saved_lines[file_nesting_level];
        if (file_nesting_level > 0 && entry->file) {
            fclose(entry->file);
            open_files[file_nesting_level] = nullptr;
        }
    }
    source_top = entry->outer;
}

/* One line of an included file, at most 254 characters with its "\n". A
   CR LF line end reads as "\n", as a text-mode read on the editor's
   platform gives it. */
static bool read_file_line(FILE *file)
{
    if (!fgets(line_buffer, LINE_BUFFER_SIZE - 1, file))
        return false;
    size_t n = strlen(line_buffer);
    if (n >= 2 && line_buffer[n - 2] == '\r' && line_buffer[n - 1] == '\n') {
        line_buffer[n - 2] = '\n';
        line_buffer[n - 1] = '\0';
    }
    return true;
}

/* One line of the main text: up to a CR (stored as "\n", the LF after it
   skipped), the end of the text, or 255 characters. */
static bool read_main_line()
{
    if (!main_position || *main_position == '\0')
        return false;
    size_t n = 0;
    while (n < LINE_BUFFER_SIZE - 1 && *main_position != '\0') {
        char c = *main_position++;
        if (c == '\r') {
            line_buffer[n++] = '\n';
            if (*main_position != '\0')
                main_position++;
            break;
        }
        line_buffer[n++] = c;
    }
    line_buffer[n] = '\0';
    return true;
}

/* Reads the next line into line_buffer from whatever is on top of the
   stack; false at the end of the whole input. */
static bool read_next_line()
{
    for (;;) {
        SourceContext *top = source_top;
        if (!top || abort_flag)
            return false;
        if (top->kind == SOURCE_MACRO) {
            if (next_expanded_line())
                break;
            close_source();
            continue;
        }
        bool got = top->file ? read_file_line(top->file) : read_main_line();
        if (got) {
            file_line++;
            break;
        }
        if (!top->outer)
            return false;
        close_source();
    }
    source_top->line_count++;
    char_pos = line_buffer;
    return true;
}

void next_char()
{
    if (abort_flag)
        return;
    if (!char_pos || *char_pos == '\0') {
        if (!read_next_line()) {
            current_char = -1;
            return;
        }
    }
    if (*char_pos == '\0') { /* an empty expanded line ends at once */
        discard_line();
        current_char = '\n';
        return;
    }
    current_char = (unsigned char)*char_pos++;
}

/* diagnostics.cpp - warnings, errors and fatal errors: the message lines of
   message_text with their location prefix, the counters and the error
   limit. Each line is composed whole before it is appended, so a line that
   would reach the reserve at the end of message_text is never cut: the run
   stops with the fatal overflow line instead. */
#include <string.h>

#include "frame.h"
#include "../expr/expr.h"
#include "../source/source.h"

bool abort_flag;
int32_t warning_count, error_count;

enum { MESSAGE_LINE_SIZE = 2048 };
static char line_space[MESSAGE_LINE_SIZE];
static TextBuffer message_line = {line_space, MESSAGE_LINE_SIZE, 0};

/* " macro " for an expansion on top (the innermost only), then
   "line [name] " of the nearest file entry. Nothing once the run has
   stopped or when no source is open. A main source name longer than any
   file name (include_dir and the name: 405 characters) is cut at 1024, so
   that the message always follows it in the line. */
static void write_location(TextBuffer *out)
{
    const SourceContext *entry = source_top;
    if (abort_flag || !entry)
        return;
    if (entry->kind == SOURCE_MACRO && entry->macro)
        text_printf(out, " %.255s ", entry->macro->name);
    while (entry && entry->kind != SOURCE_FILE)
        entry = entry->outer;
    if (entry)
        text_printf(out, "%d [%.1024s] ", entry->line_count, entry->name);
}

static void compose(const char *grade, const char *format, va_list args)
{
    text_clear(&message_line);
    text_append(&message_line, grade);
    write_location(&message_line);
    text_vprintf(&message_line, format, args);
    text_append(&message_line, "\n");
}

/* Appends the composed warning or error line; false when it would eat into
   the reserve, in which case the run stops on the overflow. */
static bool emit_line()
{
    if (message_text.length + message_line.length > MESSAGE_TEXT_SIZE - 1 - MESSAGE_RESERVE) {
        fatal("D\xE9passement de capacit\xE9 du texte messages");
        return false;
    }
    text_append_n(&message_text, message_line.data, message_line.length);
    return true;
}

void warn(const char *format, ...)
{
    if (abort_flag || (run_options & OPT_NO_WARNINGS))
        return;
    va_list args;
    va_start(args, format);
    compose("Attention: ", format, args);
    va_end(args);
    if (emit_line())
        warning_count++;
}

void error(int skip, const char *format, ...)
{
    if (abort_flag)
        return;
    va_list args;
    va_start(args, format);
    compose("Erreur: ", format, args);
    va_end(args);
    if (!emit_line())
        return;
    if (++error_count >= ERROR_LIMIT)
        fatal("Trop d'erreurs");
    if (skip)
        skip_line();
}

/* The location comes before the grade word; a second fatal error of the
   run has none. abort_flag is set before the append so that the line may use
   the reserve of message_text. */
void fatal(const char *format, ...)
{
    text_clear(&message_line);
    write_location(&message_line);
    text_append(&message_line, "Erreur irr\xE9" "cup\xE9rable: ");
    va_list args;
    va_start(args, format);
    text_vprintf(&message_line, format, args);
    va_end(args);
    text_append(&message_line, "\n");
    abort_flag = true;
    text_append_n(&message_text, message_line.data, message_line.length);
}

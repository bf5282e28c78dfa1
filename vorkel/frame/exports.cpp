/* exports.cpp - the four exported functions and the run of one asmbl call:
   the result record, the run's inputs, reset_run and publish_result. */
#include "frame.h"
#include "../codegen/codegen.h"
#include "../disasm/disasm.h"
#include "../expr/expr.h"
#include "../output/output.h"
#include "../source/source.h"

AsmResult asm_result;

const char *source_name;
const char *source_text;
uint8_t run_options;
uint16_t empty_word = 0x3FFF;
bool code_generated;

static bool initialised; /* init_vorkel has been called (and done has not) */

/* Points the caller's view at the start of every text and at the tables. */
static void publish_result()
{
    asm_result.hex_text = hex_text.data;
    asm_result.listing_text = listing_text.data;
    asm_result.macro_names = macro_names.data;
    asm_result.message_text = message_text.data;
    asm_result.symbol_report = symbol_report.data;
    asm_result.file_list = file_list.data;
    asm_result.line_table = line_table;
    asm_result.file_table = file_table;
    asm_result.program_image = program_image;
    asm_result.eeprom_image = eeprom_image;
    asm_result.id_words = id_words;
}

/* Everything a run produces back to its start; each unit resets its own. */
static void reset_run()
{
    abort_flag = false;
    pool_rewind();
    publish_result();
    texts_new_run();
    source_reset();
    lexer_reset();
    symbols_reset();
    images_reset();
    org_reset();
    warning_count = 0;
    error_count = 0;
    listing_reset();
    conditionals_reset();
    macros_reset();
    code_generated = false;
    lexer_quiet = 0;
}

/* The run cannot start: why goes into message_text as a fatal line. */
static const char *missing_input()
{
    if (!initialised)
        return "Vorkel non initialis\xE9 (init_vorkel n'a pas \xE9t\xE9 appel\xE9)";
    if (!pool_exists())
        return "Probl\xE8me de m\xE9moire";
    if (!asm_result.keyword_list)
        return "Liste des mots-cl\xE9s absente";
    return nullptr;
}

static void write_totals()
{
    if (error_count == 0) {
        if (code_generated)
            write_hex();
        else
            text_append(&listing_text, " Aucun code g\xE9n\xE9r\xE9\n");
    } else {
        text_printf(&message_text, " %d erreur%s\n", error_count, error_count == 1 ? "" : "s");
    }
    if (warning_count != 0)
        text_printf(&message_text, " %d avertissement%s\n", warning_count, warning_count == 1 ? "" : "s");
}

extern "C" {

VORKEL_EXPORT AsmResult *VORKEL_CALL init_vorkel(void)
{
    initialised = true;
    publish_result();
    if (!pool_create()) {
        texts_new_run();
        fatal("Probl\xE8me de m\xE9moire");
        abort_flag = false;
    }
    return &asm_result;
}

VORKEL_EXPORT AsmResult *VORKEL_CALL asmbl(const char *name, const char *text, uint8_t options)
{
    source_name = name ? name : "";
    source_text = text ? text : "";
    run_options = options;
    empty_word = (options & OPT_EMPTY_FFFF) ? 0xFFFF : 0x3FFF;
    file_nesting_level = 0;
    reset_run();
    text_printf(&listing_text, ";***** Assemblage de %s *****\n\n", source_name);
    if (const char *why = missing_input())
        fatal("%s", why);
    else
        assemble_source();
    write_totals();
    write_symbol_report();
    publish_result();
    return &asm_result;
}

VORKEL_EXPORT AsmResult *VORKEL_CALL desas(void)
{
    write_disassembly(&listing_text, program_image);
    publish_result();
    return &asm_result;
}

VORKEL_EXPORT void VORKEL_CALL done(void)
{
    pool_release();
    initialised = false;
}

}

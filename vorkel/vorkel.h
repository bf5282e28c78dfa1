/* vorkel.h - the exported interface of the Vorkel library: the result record
   AsmResult, the option bits of asmbl and the four exported functions. */
#ifndef VORKEL_H
#define VORKEL_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define VORKEL_CALL __stdcall
#define VORKEL_EXPORT
#else
#define VORKEL_CALL
#define VORKEL_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Capacities of the texts, in slot order. They are part of the interface. */
enum {
    HEX_TEXT_SIZE = 15000,
    LISTING_TEXT_SIZE = 200000,
    MACRO_NAMES_SIZE = 5000,
    MESSAGE_TEXT_SIZE = 5000,
    SYMBOL_REPORT_SIZE = 15000,
    FILE_LIST_SIZE = 5000,
    PROGRAM_WORDS = 1024,
    EEPROM_BYTES = 64,
    ID_WORDS = 4,
    MAX_VARIABLES = 20,
    VARIABLE_NAME_FIELD = 33
};

/* Option bits, third argument of asmbl. Other bits are ignored. */
enum {
    OPT_EMPTY_FFFF = 1,    /* the empty program word is 0xFFFF, not 0x3FFF */
    OPT_LIST_INCLUDES = 2, /* included files appear in the listing */
    OPT_NO_WARNINGS = 4    /* warnings are neither written nor counted */
};

/* The one record every export returns. Fields follow each other without
   gaps; with 32-bit pointers config_word is at byte 52 (checked below). */
typedef struct AsmResult {
    char *hex_text;           /* Intel HEX text of the run */
    char *listing_text;       /* listing; after desas, the disassembly */
    char *macro_names;        /* " name name ... " */
    char *message_text;       /* warnings, errors and totals */
    char *symbol_report;      /* symbol table report */
    char *file_list;          /* one line per source file opened */
    const char *include_dir;  /* caller: prefix for include files */
    const char *keyword_list; /* caller: NUL-separated words, empty word last */
    uint16_t *line_table;     /* per program address: line in its file */
    uint8_t *file_table;      /* per program address: file number */
    uint16_t *program_image;  /* 1024 program words */
    uint16_t *eeprom_image;   /* 64 EEPROM entries, 0xFFFF when unwritten */
    uint16_t *id_words;       /* 4 ID location words */
    uint16_t config_word;     /* 0xFFFF when no CONFIG took effect */
    char variable_names[MAX_VARIABLES][VARIABLE_NAME_FIELD];
    uint16_t variable_addresses[MAX_VARIABLES];
    uint16_t variable_sizes[MAX_VARIABLES];
    uint8_t variable_count;
} AsmResult;

VORKEL_EXPORT AsmResult *VORKEL_CALL init_vorkel(void);
VORKEL_EXPORT AsmResult *VORKEL_CALL asmbl(const char *name, const char *text, uint8_t options);
VORKEL_EXPORT AsmResult *VORKEL_CALL desas(void);
VORKEL_EXPORT void VORKEL_CALL done(void);

#ifdef __cplusplus
}
#endif

/* The editor finds each field at a fixed offset: hold the layout. */
#ifdef __cplusplus
#define VORKEL_STATIC_ASSERT static_assert
#else
#define VORKEL_STATIC_ASSERT _Static_assert
#endif
VORKEL_STATIC_ASSERT(offsetof(AsmResult, config_word) == 13 * sizeof(void *), "config_word follows the 13 pointers");
VORKEL_STATIC_ASSERT(offsetof(AsmResult, variable_names) == offsetof(AsmResult, config_word) + 2, "no gap before variable_names");
VORKEL_STATIC_ASSERT(offsetof(AsmResult, variable_addresses) == offsetof(AsmResult, variable_names) + 660, "no gap before variable_addresses");
VORKEL_STATIC_ASSERT(offsetof(AsmResult, variable_sizes) == offsetof(AsmResult, variable_addresses) + 40, "no gap before variable_sizes");
VORKEL_STATIC_ASSERT(offsetof(AsmResult, variable_count) == offsetof(AsmResult, variable_sizes) + 40, "no gap before variable_count");
#if UINTPTR_MAX == 0xFFFFFFFFu
VORKEL_STATIC_ASSERT(offsetof(AsmResult, config_word) == 52, "config_word at 52");
VORKEL_STATIC_ASSERT(offsetof(AsmResult, variable_names) == 54, "variable_names at 54");
VORKEL_STATIC_ASSERT(offsetof(AsmResult, variable_addresses) == 714, "variable_addresses at 714");
VORKEL_STATIC_ASSERT(offsetof(AsmResult, variable_sizes) == 754, "variable_sizes at 754");
VORKEL_STATIC_ASSERT(offsetof(AsmResult, variable_count) == 794, "variable_count at 794");
#endif

#endif

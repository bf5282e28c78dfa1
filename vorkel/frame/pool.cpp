/* pool.cpp - the run's memory pool: one block of 65000 bytes from which
   every record of a run is carved by bumping a pointer. Nothing is given
   back singly; each run starts again at the start of the block.

   Under AddressSanitizer every record gets its own heap block instead, so
   that an overrun of a record is caught where it happens; the accounting
   against the 65000 bytes stays the same. */
#include <stdlib.h>

#include "frame.h"

#if defined(__SANITIZE_ADDRESS__)
#define POOL_SEPARATE_RECORDS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define POOL_SEPARATE_RECORDS 1
#endif
#endif

static char *memory_pool; /* the block, none before init_vorkel and after done */
static size_t pool_top;   /* offset of the next free byte */

#ifdef POOL_SEPARATE_RECORDS
/* Each record's own block starts with a link to the previous one. */
enum { RECORD_HEADER = 16 };
static char *last_record;

static void free_records()
{
    while (last_record) {
        char *previous = *reinterpret_cast<char **>(last_record);
        free(last_record);
        last_record = previous;
    }
}

static void *carve(size_t start, size_t n)
{
    (void)start;
    char *block = static_cast<char *>(malloc(RECORD_HEADER + n));
    if (!block)
        return nullptr;
    *reinterpret_cast<char **>(block) = last_record;
    last_record = block;
    return block + RECORD_HEADER;
}
#else
static void free_records() {}

static void *carve(size_t start, size_t)
{
    return memory_pool + start;
}
#endif

bool pool_create()
{
    if (!memory_pool)
        memory_pool = static_cast<char *>(malloc(MEMORY_POOL_SIZE));
    pool_rewind();
    return memory_pool != nullptr;
}

void pool_release()
{
    pool_rewind();
    free(memory_pool);
    memory_pool = nullptr;
}

void pool_rewind()
{
    free_records();
    pool_top = 0;
}

bool pool_exists()
{
    return memory_pool != nullptr;
}

/* Records hold pointers: each one starts on a pointer boundary. */
static size_t aligned(size_t offset)
{
    const size_t a = alignof(void *);
    return (offset + a - 1) / a * a;
}

/* The last byte of the block is never handed out: an allocation that would
   bring the top to the end or beyond is refused with the fatal "mémoire". */
void *pool_alloc(size_t n)
{
    if (abort_flag)
        return nullptr;
    size_t start = aligned(pool_top);
    void *record = nullptr;
    if (memory_pool && start < MEMORY_POOL_SIZE && n < MEMORY_POOL_SIZE - start)
        record = carve(start, n);
    if (!record) {
        fatal("m\xE9moire");
        return nullptr;
    }
    pool_top = start + n;
    return record;
}

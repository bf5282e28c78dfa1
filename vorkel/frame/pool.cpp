/* pool.cpp - the run's memory pool: one block of 65000 bytes from which
   every record of a run is carved by bumping a pointer. Nothing is given
   back singly; each run starts again at the start of the block. */
#include <stdlib.h>

#include "frame.h"

static char *memory_pool; /* the block, none before init_vorkel and after done */
static size_t pool_top;   /* offset of the next free byte */

bool pool_create()
{
    if (!memory_pool)
        memory_pool = static_cast<char *>(malloc(MEMORY_POOL_SIZE));
    pool_top = 0;
    return memory_pool != nullptr;
}

void pool_release()
{
    free(memory_pool);
    memory_pool = nullptr;
    pool_top = 0;
}

void pool_rewind()
{
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
    if (!memory_pool || start >= MEMORY_POOL_SIZE || n >= MEMORY_POOL_SIZE - start) {
        fatal("m\xE9moire");
        return nullptr;
    }
    pool_top = start + n;
    return memory_pool + start;
}

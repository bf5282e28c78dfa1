// The Windows installer's small C++ runtime. The executable must fit in the
// 75264 bytes that precede its archive, and the C++ runtime's exception
// machinery (unwinder, personality routine, exception objects, the terminate
// handler with its demangler) would take more than half of them. No path of
// the installer raises an exception: its failures are results, reported where
// they happen. So the machinery is replaced by these few definitions, and a
// throw, were one ever made, ends the program as an uncaught one would.
#include <cstdlib>
#include <new>

extern "C" {
// Named by the frames of functions that hold catch clauses or cleanups; only
// reached by a throw. 64-bit Windows unwinds through SEH, with its own name.
#ifdef __SEH__
int __gxx_personality_seh0() { std::abort(); }
#else
int __gxx_personality_v0() { std::abort(); }
#endif
void _Unwind_Resume() { std::abort(); }
void *__cxa_allocate_exception(std::size_t) { std::abort(); }
void __cxa_free_exception(void *) {}
void __cxa_throw(void *, void *, void (*)(void *)) { std::abort(); }
void __cxa_rethrow() { std::abort(); }
void *__cxa_begin_catch(void *) { std::abort(); }
void __cxa_end_catch() {}
}

// Memory: the C runtime's heap. Running out of it ends the program, as the
// uncaught std::bad_alloc would; the nothrow forms answer null.
void *operator new(std::size_t size) {
  void *block = std::malloc(size ? size : 1);
  if (!block) std::abort();
  return block;
}
void *operator new[](std::size_t size) { return operator new(size); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept { return std::malloc(size ? size : 1); }
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept { return std::malloc(size ? size : 1); }
void operator delete(void *block) noexcept { std::free(block); }
void operator delete[](void *block) noexcept { std::free(block); }
void operator delete(void *block, std::size_t) noexcept { std::free(block); }
void operator delete[](void *block, std::size_t) noexcept { std::free(block); }

// What the standard library's inline code calls on a broken precondition (a
// string longer than its maximum, say).
namespace std {
void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_logic_error(const char *) { std::abort(); }
void __throw_length_error(const char *) { std::abort(); }
void __throw_out_of_range(const char *) { std::abort(); }
void __throw_out_of_range_fmt(const char *, ...) { std::abort(); }
void __throw_invalid_argument(const char *) { std::abort(); }
}  // namespace std

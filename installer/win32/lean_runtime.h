// Included first in every unit of the Windows installer (-include). The
// standard library's templates, std::string above all, are instantiated in
// the units that use them instead of being taken from the library's
// precompiled objects: the linker then keeps only the functions called,
// which the executable's 75264-byte limit needs.
#pragma once
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE 0

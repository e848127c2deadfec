// SPDX-License-Identifier: MIT
#pragma once
// A function of a library opened at run time with dlopen(), by name.

#include <dlfcn.h>

template <typename Fn>
bool look_up(void* library, const char* exported_name, Fn& fn) {
  fn = reinterpret_cast<Fn>(dlsym(library, exported_name));
  return fn != nullptr;
}

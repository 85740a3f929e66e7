/* What the shipped programs' own run-time does not do, refused when a program links something
   that needs it. Given to every shipped link as an input script, beside the installer's layout
   (zmsetup.ld) or the linker's default layout of the payloads: both define the symbols below in
   the same places. Each message starts with a name to search for in src/runtime/README.md. */

/* The exception support matches classes with no base or one public base at offset 0. Throwing or
   catching a class with several or virtual bases makes the compiler refer to the library's third
   class table, whose object then comes into the link (and would clash with the support's own
   tables, without saying why). */
ASSERT(!DEFINED(__ZTVN10__cxxabiv121__vmi_class_type_infoE),
       "zm_runtime_refuses_classes_with_multiple_or_virtual_bases: a thrown or caught class has several or virtual bases")

/* A reference to a DLL's data without __declspec(dllimport) leaves a run-time pseudo-relocation,
   which the C run-time's start-up code would apply; the shipped entries have no such code, so
   the reference would read the wrong address. */
ASSERT(__rt_psrelocs_size == 0,
       "zm_runtime_refuses_runtime_pseudo_relocations: data of a DLL is used without __declspec(dllimport)")

/* Functions in the destructor list (__attribute__((destructor))) would never run: the entries
   run only the constructor list, and the installer's exit runs what atexit registered. The list
   is its -1 and its 0 alone when empty; nothing lies between it and etext (no .fini, no
   .gcc_exc in these programs). */
ASSERT(etext - __DTOR_LIST__ == 8,
       "zm_runtime_refuses_destructor_functions: a function in the destructor list would never run")

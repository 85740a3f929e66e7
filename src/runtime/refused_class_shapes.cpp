// Throwing or catching a class with several or virtual bases makes the compiler point its type
// description at the library's third table, which the exception support's matching does not
// handle (it walks single public bases at offset 0 only). This definition of that table sits in
// an archive linked before the library, so such a program takes it instead of the library's, and
// its link then fails on the symbol below, whose name says why.

extern "C" void zm_runtime_refuses_classes_with_multiple_or_virtual_bases();

using VirtualEntry = void (*)();

extern "C" {
extern const VirtualEntry VmiClassTypeTable[11] asm("__ZTVN10__cxxabiv121__vmi_class_type_infoE");
const VirtualEntry VmiClassTypeTable[11] = {
    zm_runtime_refuses_classes_with_multiple_or_virtual_bases};
}

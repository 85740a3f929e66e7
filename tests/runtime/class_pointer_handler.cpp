// Catches a pointer to a class, which the installer's exception support cannot match against
// another pointer type: it links, and the exception tables' check must refuse it.
namespace {
struct Base {
  int value = 1;
};
struct Derived : Base {};
} // namespace

int main() {
  static Derived thrown;
  try {
    throw &thrown;
  } catch (const Base* caught) {
    return caught->value;
  }
}

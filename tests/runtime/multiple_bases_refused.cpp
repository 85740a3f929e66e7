// Throws a class with two bases, which the installer's exception support does not match: linked
// as the installer is, this program must not link.
struct First {
  int first = 1;
};
struct Second {
  int second = 2;
};
struct Both : First, Second {};

int main() {
  try {
    throw Both();
  } catch (const Second& second) {
    return second.second;
  }
}

// The payloads' entry builds static objects before WinMain, in the order the tool chain's start-up
// code would (a higher priority first), and passes WinMain's result on as the exit code.
#include <windows.h>

namespace {

int Order[2];
int Built = 0;

struct Recorder {
  explicit Recorder(int mark) {
    if (Built < 2) Order[Built] = mark;
    ++Built;
  }
};
__attribute__((init_priority(200))) Recorder second(2);
__attribute__((init_priority(101))) Recorder first(1);

} // namespace

// 0 when both were built, the one of the higher priority first.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return Built == 2 && Order[0] == 1 && Order[1] == 2 ? 0 : 10 + Built;
}

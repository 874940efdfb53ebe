// The program's entry: the platform's start-up hands WinMain the process's module and the
// default show command; there is no command line.
#include "demo/slate_app.h"

int main() {
  char commandLine[] = "";
  return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWDEFAULT);
}

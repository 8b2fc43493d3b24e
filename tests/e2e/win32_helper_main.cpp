// tests/e2e/win32_helper_main.cpp — what the end-to-end tests need on the 32-bit desktop
// platform that a POSIX runner cannot do there:
//   hold FILE                 opens FILE for reading and writing with no sharing at all,
//                             says "held" on standard output and keeps it until standard
//                             input ends, as another program holding the report would;
//   absent N PROGRAM [ARG…]   runs PROGRAM with standard handle N (0, 1 or 2) absent and the
//                             others inherited, and ends with its exit status.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int hold(const char* name) {
  const HANDLE file = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return 3;
  }
  DWORD count = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "held\n", 5, &count, nullptr);
  char buffer[64];
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &count, nullptr) &&
         count > 0) {
  }
  CloseHandle(file);
  return 0;
}

int run_without(int absent, int argc, char** argv) {
  std::string command;
  for (int i = 0; i < argc; ++i) {
    command += std::string(i == 0 ? "\"" : " \"") + argv[i] + "\"";
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = absent == 0 ? nullptr : GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = absent == 1 ? nullptr : GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = absent == 2 ? nullptr : GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return 3;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 3;
  GetExitCodeProcess(process.hProcess, &status);
  return static_cast<int>(status);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "hold") == 0) {
    return hold(argv[2]);
  }
  if (argc >= 4 && std::strcmp(argv[1], "absent") == 0) {
    return run_without(std::atoi(argv[2]), argc - 3, argv + 3);
  }
  return 2;
}
